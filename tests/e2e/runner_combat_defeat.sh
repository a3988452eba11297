#!/usr/bin/env bash
# The player's defeat on the "Test" stage: the player walks into the CandleHead on the first rise and
# stands in it. The candle burns once each time it lights up or goes dark (a new animation), so each
# touch takes one health point and knocks the player back; the player walks back in and waits for
# the next, until the fifth leaves it at 0 and it goes down. With no lives left (--lives 0) the
# defeat leads to "Title Screen"; with one life (--lives 1) it first restarts "Test" with the life
# taken (a fresh player back at the start with full health, a fresh candle), and the second defeat
# then leads to "Title Screen". The key script is grown a step at a time from the trace of the run
# before: walk to the candle, stand, be hit, walk back.
set -euo pipefail
work_dir=$(mktemp -d)
trap 'rm -rf "$work_dir"' EXIT
cd "$work_dir"
"$BUILD_DIR/tools/datakit" build data >/dev/null

python3 - "$BUILD_DIR/tools/runner" <<'EOF'
import csv, subprocess, sys

runner = sys.argv[1]
RIGHT, LEFT = 77, 75
failures = []

def check(ok, what):
    if not ok:
        failures.append(what)

def run(lives, ticks, holds):
    with open('keys.txt', 'w') as keys:
        keys.writelines(f'{a}-{b} {key}\n' for a, b, key in holds)
    subprocess.run([runner, 'data', str(ticks), '--stage', 'Test', '--keys', 'keys.txt', '--trace', 'trace.csv',
                    '--lives', str(lives)], check=True)
    return list(csv.DictReader(open('trace.csv')))

def settled(rows, t):
    r, before = rows[t], rows[t - 1]
    return (r['stage'] == 'Test' and r['x'] != '' and before['x'] == r['x'] and int(r['health']) > 0 and
            r['state'] == 'normal' and int(r['groundContact']) and float(r['groundSpeed']) == 0.0 and
            r['enemyX'] != '')

def walk_ticks(distance):
    # Ticks of a direction held for the run-up and the slide after it to cover about that distance.
    k = 1
    while k < 60 and 0.078 * k * k + (0.15625 * k) ** 2 / 0.28 < distance:
        k += 1
    return k

def health_drops(rows, after):
    return [t for t in range(max(after, 1), len(rows))
            if rows[t]['x'] != '' and rows[t - 1]['x'] != '' and int(rows[t]['health']) < int(rows[t - 1]['health'])]

# Plays until the title screen: from every standstill walk into the candle, or wait in it for a hit.
def play(lives, ticks):
    holds, cur = [], 1
    rows = run(lives, ticks, holds)
    for step in range(300):
        t = next((t for t in range(cur, len(rows)) if settled(rows, t)), None)
        if t is None:
            if any(r['stage'] == 'Title Screen' for r in rows[cur:]):
                return rows
            sys.exit(f'FAIL: after tick {cur} the player never stood still again, nor reached the title; '
                     f'last row {rows[-1]}')
        gap = float(rows[t]['enemyX']) - float(rows[t]['x'])
        if abs(gap) <= 6:
            hit = next(iter(health_drops(rows, t + 1)), None)
            if hit is None or hit - t > 200:
                sys.exit(f'FAIL: standing in the candle from tick {t}, no hit within 200 ticks (hit at {hit})')
            cur = hit + 1
            continue
        k = walk_ticks(abs(gap) - 2)
        holds.append((t, t + k - 1, RIGHT if gap > 0 else LEFT))
        cur = t + k + 1
        rows = run(lives, ticks, holds)
    sys.exit('FAIL: no end after 300 steps')

# A fresh player at the start, where the tick before had none or had it far away.
def restarted(rows, t):
    r, before = rows[t], rows[t - 1]
    return (r['x'] != '' and abs(float(r['x']) - 64) < 3 and abs(float(r['y']) - 700) < 3 and
            (before['x'] == '' or abs(float(before['x']) - 64) > 100))

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
    check(play and int(play[0]['health']) == 5 and abs(float(play[0]['x']) - 64) < 3,
          f'tick {start}: a fresh player at the start: {play[0] if play else None}')
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
        check(float(rows[again]['enemyHp'] or 0) == 4 and abs(float(rows[again]['enemyX'] or 0) - 512) < 1,
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
