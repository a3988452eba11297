"""Finds when a stage starts in a trace the runner wrote.

  stage_start.py TRACE STAGE   prints the first tick on which STAGE is current; fails, saying so,
                               when it never is
"""
import csv
import sys

rows = list(csv.DictReader(open(sys.argv[1])))
tick = next((t for t, r in enumerate(rows) if r['stage'] == sys.argv[2]), None)
if tick is None:
    sys.exit(f'{sys.argv[2]!r} never comes in {sys.argv[1]}')
print(tick)
