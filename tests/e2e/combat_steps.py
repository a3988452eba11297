"""Steps of the combat end-to-end tests on "Test": running the runner with a key script, and the
moves that bring the player to the CandleHead on the one-way floor over the ground before the pit
(walk, jump up onto the floor, walk on), read from the trace of the run before."""
import csv
import subprocess

RIGHT, LEFT, JUMP, ATTACK = 77, 75, 31, 30
FLOOR_LEFT, FLOOR_RIGHT = 880, 1040  # the one-way floor, its top at 676, over the ground at 716
GROUND_Y = 690  # a player whose y is below this stands on the ground, above it on the floor


def run(runner, ticks, holds=(), presses=(), lives=None, pngs=()):
    """Runs Test for ticks with keys held over (from, to, key) ranges and attack pressed at the
    given ticks; returns the trace rows."""
    with open('keys.txt', 'w') as keys:
        keys.writelines(f'{a}-{b} {key}\n' for a, b, key in holds)
        keys.writelines(f'{t} {ATTACK} down\n{t + 1} {ATTACK} up\n' for t in presses)
    args = [runner, 'data', str(ticks), '--stage', 'Test', '--keys', 'keys.txt', '--trace', 'trace.csv']
    if lives is not None:
        args += ['--lives', str(lives)]
    for t in pngs:
        args += ['--png', f'{t}:frame{t}.png']
    subprocess.run(args, check=True)
    rows = list(csv.DictReader(open('trace.csv')))
    assert [int(r['tick']) for r in rows] == list(range(ticks)), 'one row a tick'
    return rows


def settled(rows, t):
    """The player stands still on Test with a candle about, and the candle has stopped too."""
    r, before = rows[t], rows[t - 1]
    return (r['stage'] == 'Test' and r['x'] != '' and before['x'] == r['x'] and before['y'] == r['y'] and
            int(r['health']) > 0 and r['state'] == 'normal' and int(r['groundContact']) and
            float(r['groundSpeed']) == 0.0 and r['enemyX'] != '' and r['enemyX'] == before['enemyX'] and
            r['enemyY'] == before['enemyY'])


def walk_ticks(distance):
    """Ticks of a direction held for the run-up and the slide after it to cover about distance."""
    k = 1
    while k < 60 and 0.078 * k * k + (0.15625 * k) ** 2 / 0.28 < distance:
        k += 1
    return k


def next_move(rows, t, reach):
    """From a standstill at tick t: None when the candle's centre is within reach = (lo, hi) pixels
    ahead of the player's on the same level; else the key ranges to add and the tick to look from
    next: a jump up onto the floor when the candle stands there and the player below it, or a walk."""
    r = rows[t]
    x, y = float(r['x']), float(r['y'])
    gap = float(r['enemyX']) - x
    if y > GROUND_Y and float(r['enemyY']) < GROUND_Y:
        if FLOOR_LEFT + 8 <= x <= FLOOR_RIGHT - 8:
            return [(t, t + 19, JUMP)], t + 45
        gap = (FLOOR_LEFT + 24) - x  # to under the floor's left end, to jump from there
        reach = (-6, 6)
    elif reach[0] <= gap <= reach[1]:
        return None
    k = walk_ticks(abs(gap - (reach[0] + reach[1]) / 2) - 1)
    return [(t, t + k - 1, RIGHT if gap > 0 else LEFT)], t + k + 1


def drive(runner, ticks, reach, when_ready, lives=None, stop=None):
    """Grows the key script a step at a time: from each standstill, the next move toward the candle
    (next_move), or when it is within reach when_ready(rows, t, presses), which returns the tick to
    look from next (None: stop). stop(rows) ends the drive when it returns true, and the drive also
    ends when the player stands still no more. Returns the last run's rows and the key ranges."""
    holds, presses, cur = [], [], 1
    rows = run(runner, ticks, holds, presses, lives)
    for step in range(300):
        if stop and stop(rows):
            break
        t = next((t for t in range(cur, ticks) if settled(rows, t)), None)
        if t is None:
            break
        move = next_move(rows, t, reach)
        if move is None:
            before = len(presses)
            cur = when_ready(rows, t, presses)
            if cur is None:
                break
            if len(presses) == before:
                continue  # nothing new pressed: the same run goes on
        else:
            holds += move[0]
            cur = move[1]
        rows = run(runner, ticks, holds, presses, lives)
    else:
        raise AssertionError('no end after 300 steps')
    return rows, holds, presses


def health_drops(rows, after=1):
    """Ticks at which the player's health fell (the same player from the tick before)."""
    return [t for t in range(max(after, 1), len(rows))
            if rows[t]['x'] != '' and rows[t - 1]['x'] != '' and int(rows[t]['health']) < int(rows[t - 1]['health'])]
