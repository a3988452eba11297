#!/usr/bin/env bash
# The roster's placements in the Graveyard, Village 1 and The Bone Zone, each run with player 1
# started near the enemy (--start-at) and the enemy watched in the trace (--watch):
#   Audrey and the Froackers come to rest on the ground just under where they are placed (not in a
#   wall, not falling through), the walker walks; Draven sits on its perch; YardSlayer roams its
#   range around its home;
#   Draven's perch is in reach: a jump attack from beside it provokes it, and it goes round its
#   hover, dive and return to rest on the perch again.
# The last frame of each run is kept in $BUILD_DIR/roster_pngs.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/data_folder.bash"
png_dir="$BUILD_DIR/roster_pngs"
mkdir -p "$png_dir"

python3 - "$BUILD_DIR/tools/runner" "$png_dir" <<'PYEOF'
import concurrent.futures, csv, shutil, subprocess, sys
runner, png_dir = sys.argv[1:3]
JUMP, ATTACK = 31, 30

def run(tag, stage, ticks, holds, start, watch, png):
    with open(f'{tag}.keys', 'w') as keys:
        keys.writelines(f'{a}-{b} {key}\n' for a, b, key in holds)
    subprocess.run([runner, 'data', str(ticks), '--stage', stage, '--keys', f'{tag}.keys', '--trace', f'{tag}.csv',
                    '--start-at', f'{start[0]},{start[1]}', '--watch', watch, '--png', f'{png}:{tag}.png'],
                   check=True)
    rows = list(csv.DictReader(open(f'{tag}.csv')))
    assert [int(r['tick']) for r in rows] == list(range(ticks)), 'one row a tick'
    shutil.copy(f'{tag}.png', png_dir)
    return rows

# (stage, the player's start, the watched instance, what it is, its range for YardSlayer)
placed = [
    ('Graveyard', (200, 1380), 'Audrey', 'stands', 0),
    ('Graveyard', (200, 1380), 'Froacker:0', 'stands', 0),       # Chuck
    ('Graveyard', (200, 1380), 'Froacker:1', 'stands', 0),       # Larry
    ('Graveyard', (200, 1380), 'YardSlayer', 'roams', 48),
    ('Graveyard', (1040, 1300), 'Draven', 'perches', 0),
    ('Village 1', (1990, 690), 'Audrey', 'stands', 0),
    ('Village 1', (1100, 690), 'Draven', 'perches', 0),
    ('Village 1', (1980, 690), 'Froacker:0', 'walks', 0),       # the walker
    ('Village 1', (2220, 680), 'Froacker:1', 'stands', 0),       # Chuck
    ('Village 1', (2720, 550), 'Froacker:2', 'stands', 0),       # Larry
    ('Village 1', (3220, 690), 'YardSlayer', 'roams', 212),      # range 0: the default
    ('The Bone Zone', (700, 1420), 'Audrey', 'stands', 0),
    ('The Bone Zone', (700, 1420), 'Draven', 'perches', 0),
    ('The Bone Zone', (700, 1420), 'Froacker:0', 'walks', 0),   # the walker
    ('The Bone Zone', (700, 1420), 'Froacker:1', 'stands', 0),   # Chuck
    ('The Bone Zone', (700, 1420), 'YardSlayer', 'roams', 96),
]
# Where a jump attack from a standstill beside the perch reaches Draven.
perches = [('Graveyard', (1090, 1290)), ('Village 1', (1143, 640)), ('The Bone Zone', (583, 1336))]

def placement(i):
    stage, start, watch, kind, reach = placed[i]
    tag = f"{stage.replace(' ', '')}-{watch.replace(':', '')}"
    rows = run(tag, stage, 300, [], start, watch, 299)
    name = f'{stage}, {watch} ({kind})'
    v = lambda r, c: float(r[f'{watch}.{c}'])
    if any(r[f'{watch}.alive'] != '1' for r in rows):
        return [f'{name}: not alive all along']
    x0, y0 = v(rows[0], 'x'), v(rows[0], 'y')
    xs = [v(r, 'x') for r in rows]
    late = rows[-30:]
    out = []
    if kind == 'stands':
        # On the ground: at rest, a little under where it was placed (a body on a steep ramp rests
        # a few pixels higher).
        if any(v(r, 'vy') != 0 for r in late):
            out.append(f'{name}: not at rest on the ground at the end')
        if not (-8 <= v(rows[-1], 'y') - y0 <= 24 and max(xs) - min(xs) < 2):
            out.append(f'{name}: placed at {(x0, y0)}, ends at {(xs[-1], v(rows[-1], "y"))}')
    elif kind == 'walks':
        # Along the ground (up and down its slopes), never falling through it.
        if max(xs) - min(xs) < 40 or max(v(r, 'y') for r in rows) > y0 + 24:
            out.append(f'{name}: walked {min(xs):.0f}-{max(xs):.0f}, down to y {max(v(r, "y") for r in rows)}')
    elif kind == 'perches':
        if any((v(r, 'x'), v(r, 'y')) != (x0, y0) or r[f'{watch}.state'] != '0' for r in rows):
            out.append(f'{name}: left its perch')
    else:
        if not (min(xs) >= x0 - reach - 3 and max(xs) <= x0 + reach + 3 and max(xs) - min(xs) > 30):
            out.append(f'{name}: roamed {min(xs):.0f}-{max(xs):.0f} around {x0:.0f} (range {reach})')
    print(f'{name}: placed {(x0, y0)}, ends {(xs[-1], v(rows[-1], "y"))}, x {min(xs):.0f}-{max(xs):.0f}')
    return out

def provoke(i):
    stage, start = perches[i]
    rows = run(f"{stage.replace(' ', '')}-provoke", stage, 600, [(205, 225, JUMP), (218, 218, ATTACK)], start,
               'Draven', 340)
    states = [r['Draven.state'] for r in rows]
    seq = [states[0]] + [states[t] for t in range(1, len(states)) if states[t] != states[t - 1]]
    perch = (rows[0]['Draven.x'], rows[0]['Draven.y'])
    print(f'{stage}, Draven struck: states {seq}')
    if seq != ['0', '1', '2', '3', '0'] or (rows[-1]['Draven.x'], rows[-1]['Draven.y']) != perch:
        return [f'{stage}: Draven struck by a jump attack: states {seq}, ends at '
                f"{(rows[-1]['Draven.x'], rows[-1]['Draven.y'])}, perch {perch}"]
    return []

with concurrent.futures.ThreadPoolExecutor(4) as pool:
    results = list(pool.map(placement, range(len(placed)))) + list(pool.map(provoke, range(len(perches))))
failures = [f for result in results for f in result]
if failures:
    print('\n'.join(failures))
    sys.exit(f'FAIL: {len(failures)} checks')
print('ok')
PYEOF
echo "runner roster placements: ok"
