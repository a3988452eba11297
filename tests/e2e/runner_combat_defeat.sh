#!/usr/bin/env bash
# The player's defeat on the "Test" stage: the player walks right, jumps up onto the one-way floor
# where the CandleHead stands, walks into it and stands in it. The candle burns once each time it lights up or goes dark (a new animation), so each
# touch takes one health point and knocks the player back; the player walks back in and waits for
# the next, until the fifth leaves it at 0 and it goes down. With no lives left (--lives 0) the
# defeat leads to "Title Screen"; with one life (--lives 1) it first restarts "Test" with the life
# taken (a fresh player back at the start with full health, a fresh candle), and the second defeat
# then leads to "Title Screen". The key script is grown a step at a time from the trace of the run
# before: walk to the candle (jumping back up when knocked off the floor), stand, be hit, walk back.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/data_folder.bash"

python3 - "$BUILD_DIR/tools/runner" "$here" <<'EOF'
import sys

runner = sys.argv[1]
sys.path.insert(0, sys.argv[2])
from combat_steps import drive, health_drops

failures = []

def check(ok, what):
    if not ok:
        failures.append(what)

# Stands in the candle from tick t until it burns: the next hit comes within one light-up or
# going-dark of the candle (129 ticks), after the blink of the last one.
def wait_for_hit(rows, t, presses):
    hit = next(iter(health_drops(rows, t + 1)), None)
    if hit is None or hit - t > 200:
        sys.exit(f'FAIL: standing in the candle from tick {t}, no hit within 200 ticks (hit at {hit})')
    return hit + 1

# Plays until the title screen, walking back into the candle after every hit.
def play(lives, ticks):
    rows, _, _ = drive(runner, ticks, (-6, 6), wait_for_hit, lives=lives)
    if not any(r['stage'] == 'Title Screen' for r in rows):
        sys.exit(f'FAIL: --lives {lives}: no title screen after {ticks} ticks; last row {rows[-1]}')
    return rows

# A fresh player with full health, where the tick before had none or a defeated one (a restart puts
# it back at the start or at the last checkpoint it touched).
def restarted(rows, t):
    r, before = rows[t], rows[t - 1]
    return r['x'] != '' and int(r['health']) == 5 and (before['x'] == '' or int(before['health']) == 0)

# One life of the player on Test from tick `start`: five hits, health 5 down to 0, each after the
# blink of the one before; returns the tick of the last hit.
def one_life(rows, start, lives):
    play = []
    for t in range(start, len(rows)):
        r = rows[t]
        if r['stage'] != 'Test' or (play and restarted(rows, t)):
            break  # the title screen, or the restart's fresh player
        if r['x'] != '':
            play.append(r)
    check(play and int(play[0]['health']) == 5 and play[0]['state'] == 'normal' and
          (start > 0 or abs(float(play[0]['x']) - 64) < 3), f'tick {start}: a fresh player: {play[0] if play else None}')
    hits = [int(b['tick']) for a, b in zip(play, play[1:]) if int(b['health']) < int(a['health'])]
    alive = [r for r in play if not hits or int(r['tick']) <= hits[-1]]
    check(all(r['lives'] == str(lives) for r in alive), f'lives {lives} up to the defeat: {sorted({r["lives"] for r in alive})}')
    healths = [int(rows[t]['health']) for t in hits]
    check(healths == [4, 3, 2, 1, 0], f'health after each hit: {healths}')
    for a, b in zip(hits, hits[1:]):
        check(int(rows[b - 1]['invulnerable']) == 0, f'hit at tick {b} while still blinking from tick {a}')
    check(all(int(rows[t]['invulnerable']) == 35 for t in hits[:4]), 'each hit starts the blink')
    return hits[4] if len(hits) >= 5 else None

def defeat_leads_to(rows, last_hit, where):
    gone = next((t for t in range(last_hit, len(rows)) if rows[t]['stage'] != 'Test' or restarted(rows, t)), None)
    if gone is None:
        failures.append(f'still defeated on Test {len(rows) - last_hit} ticks after the last hit: {rows[-1]}')
        return None
    down = rows[last_hit:gone]
    check(all(r['state'] not in ('normal', 'air', 'hanging') for r in down), 'the player stays down once defeated')
    check(all(int(r['health']) == 0 for r in down if r['x'] != ''), 'health stays 0 while defeated')
    # The fall runs out its timer (about 4 seconds) before the fade and the switch.
    check(240 <= gone - last_hit <= 900, f'the defeat took {gone - last_hit} ticks')
    if where == 'Title Screen':
        check(rows[gone]['stage'] == 'Title Screen', f"tick {gone}: stage {rows[gone]['stage']!r}")
        check(all(r['stage'] == 'Title Screen' for r in rows[gone:]), 'no way back from the title screen')
    else:
        check(rows[gone]['stage'] == 'Test', f"tick {gone}: stage {rows[gone]['stage']!r}, expected a restart")
    return gone

# No lives left: one defeat and the title screen.
rows = play(0, 2000)
last = one_life(rows, 0, 0)
if last is not None:
    title = defeat_leads_to(rows, last, 'Title Screen')
    print(f'--lives 0: fifth hit at tick {last}, "Title Screen" from tick {title}')

# One life: the first defeat restarts Test with 0 lives, the second goes to the title screen.
rows = play(1, 4000)
last = one_life(rows, 0, 1)
if last is not None:
    again = defeat_leads_to(rows, last, 'Test')
    if again is not None:
        check(rows[again]['lives'] == '0', f"the restart took the life: {rows[again]['lives']}")
        check(float(rows[again]['enemyHp'] or 0) == 4 and abs(float(rows[again]['enemyX'] or 0) - 1000) < 1,
              f'a fresh candle after the restart: {rows[again]}')
        last2 = one_life(rows, again, 0)
        if last2 is not None:
            title = defeat_leads_to(rows, last2, 'Title Screen')
            print(f'--lives 1: restart at tick {again}, fifth hit again at tick {last2}, '
                  f'"Title Screen" from tick {title}')

if failures:
    print('\n'.join(failures[:20]))
    sys.exit(f'FAIL: {len(failures)} checks')
print('ok')
EOF
echo "runner combat, the player's defeat: ok"
