#!/usr/bin/env bash
# The enemy roster on the "Test" stage, one run each, with player 1 started next to the enemy
# (--start-at) and the enemy watched in the trace (--watch):
#   Audrey, whipped twice, answers with one AudreyShot that flies at the player and hurts it;
#   Draven, struck by a jump attack, hovers, dives at the player, climbs back and rests on its perch;
#   the walking Froacker walks down off the hilltop and hurts the player it runs into;
#   Chuck, whipped, hops, keeps its distance and throws Projectiles at the player;
#   Larry, whipped, hops, runs, leaps, chases, slows down and walks again;
#   YardSlayer roams its range (64), vanishes when the grapple strikes it, comes back 88 px behind
#   the player, closes in, attacks, hides and is home again.
# The frames are kept in $BUILD_DIR/roster_pngs; the Froackers' own palettes are checked in them.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/data_folder.bash"
png_dir="$BUILD_DIR/roster_pngs"
mkdir -p "$png_dir"

python3 - "$BUILD_DIR/tools/runner" "$here" "$png_dir" <<'PYEOF'
import csv, shutil, subprocess, sys
runner, here, png_dir = sys.argv[1:4]
sys.path.insert(0, here)
from png_colours import read_rows

RIGHT, LEFT, UP, JUMP, ATTACK, GRAPPLE = 77, 75, 72, 31, 30, 18
failures = []
def check(ok, what):
    if not ok:
        failures.append(what)

def run(tag, ticks, holds, start, watches, pngs=()):
    with open(f'{tag}.keys', 'w') as keys:
        keys.writelines(f'{a}-{b} {key}\n' for a, b, key in holds)
    args = [runner, 'data', str(ticks), '--stage', 'Test', '--keys', f'{tag}.keys', '--trace', f'{tag}.csv',
            '--start-at', f'{start[0]},{start[1]}']
    for w in watches:
        args += ['--watch', w]
    for t in pngs:
        args += ['--png', f'{t}:{tag}{t}.png']
    subprocess.run(args, check=True)
    rows = list(csv.DictReader(open(f'{tag}.csv')))
    assert [int(r['tick']) for r in rows] == list(range(ticks)), 'one row a tick'
    for t in pngs:
        shutil.copy(f'{tag}{t}.png', png_dir)
    return rows

def col(rows, name, kind=float):
    return [kind(r[name]) if r[name] != '' else None for r in rows]

def first(seq, pred, start=0):
    return next((t for t in range(start, len(seq)) if pred(seq[t])), None)

def hurts(rows):
    h = col(rows, 'health', int)
    return [t for t in range(1, len(h)) if h[t] < h[t - 1]]

def colour_count(path, rgb, box, tol=24):
    """Pixels near colour rgb inside box (left, top, right, bottom) of the frame."""
    n = 0
    for y, (width, row) in enumerate(read_rows(path)):
        if box[1] <= y < box[3]:
            for x in range(max(0, box[0]), min(width, box[2])):
                if all(abs(row[3 * x + i] - rgb[i]) <= tol for i in range(3)):
                    n += 1
    return n

def screen_box(rows, t, who, half=20):
    """The screen box around an enemy at tick t, from the player's place on screen: the camera
    centres on the player unless it is clamped, so the box is found by searching nearby."""
    return None

# ---- Audrey: two hits, one shot at the player ----
rows = run('audrey', 330, [(100, 100, LEFT), (120, 120, ATTACK), (150, 150, ATTACK)], (1512, 690),
           ['Audrey', 'AudreyShot'], pngs=(212,))
state, hp, shots = col(rows, 'Audrey.state', int), col(rows, 'Audrey.hp'), col(rows, 'AudreyShot.count', int)
drops = [t for t in range(1, len(hp)) if hp[t] < hp[t - 1]]
check(len(drops) == 2, f'Audrey: hits at {drops}, two expected')
attack = first(state, lambda s: s == 1)
check(attack is not None and len(drops) == 2 and drops[0] < drops[1] <= attack <= drops[1] + 2,
      f'Audrey: attack at {attack} after the hits {drops} (the second, not the first)')
fired = first(shots, lambda n: n > 0)
check(fired is not None and attack is not None and fired > attack and state[fired] == 1,
      f'Audrey: shot at {fired}, attack at {attack}')
check(max(shots) == 1, f'Audrey: {max(shots)} shots at once, one a attack expected')
if fired is not None:
    sx = col(rows, 'AudreyShot.x')
    flight = [sx[t] for t in range(fired, len(rows)) if shots[t] and sx[t] is not None]
    check(len(flight) > 3 and flight[-1] > flight[0], f'Audrey: the shot does not fly right at the player: {flight[:8]}')
    hit = [t for t in hurts(rows) if t > fired]
    check(hit and shots[hit[0]] == 1 and abs(sx[hit[0]] - float(rows[hit[0]]['x'])) < 24,
          f'Audrey: the player was not hurt by the shot (hurt at {hit})')
    gone = first(shots, lambda n: n == 0, fired)
    check(gone is not None and hit and 1 <= gone - hit[0] <= 7, f'Audrey: the shot went at {gone}, hit at {hit}')
print(f'Audrey: hit at {drops}, attacks at {attack}, fires at {fired}')

# ---- Draven: hover, dive, return, rest ----
rows = run('draven', 700, [(205, 225, JUMP), (218, 218, ATTACK)], (2075, 560), ['Draven'], pngs=(240, 345, 400))
state, dx, dy = col(rows, 'Draven.state', int), col(rows, 'Draven.x'), col(rows, 'Draven.y')
perch = (dx[0], dy[0])
startled = first(state, lambda s: s == 1)
dive = first(state, lambda s: s == 2, startled or 0)
back = first(state, lambda s: s == 3, dive or 0)
rest = first(state, lambda s: s == 0, back or 0)
check(None not in (startled, dive, back, rest), f'Draven: states 1 {startled}, 2 {dive}, 3 {back}, 0 {rest}')
if None not in (startled, dive, back, rest):
    # 91 ticks of hover, and the hit's hit-stop, during which the hover stands still.
    check(91 <= dive - startled <= 100, f'Draven: hovered {dive - startled} ticks')
    check(all(abs(dy[t] - perch[1]) < 8 for t in range(startled, dive)), 'Draven: drifted while hovering')
    py = float(rows[dive]['y'])
    check(max(dy[dive:back + 1]) >= py - 8, f'Draven: dived to {max(dy[dive:back + 1])}, the player at {py}')
    check(min(dy[back:rest + 1]) <= perch[1] + 3 and (dx[rest], dy[rest]) == perch,
          f'Draven: rests at {(dx[rest], dy[rest])}, perch {perch}')
    check(all(s == 0 for s in state[rest:]) and all((dx[t], dy[t]) == perch for t in range(rest, len(rows))),
          'Draven: does not rest on its perch')
print(f'Draven: startled {startled}, dives {dive}, returns {back}, rests {rest}')

# ---- the walking Froacker: walks, and hurts the player in its way ----
rows = run('walker', 500, [], (1940, 600), ['Froacker:1'], pngs=(150,))
wx = col(rows, 'Froacker:1.x')
check(max(wx) - min(wx) > 40, f'walker: stays within {min(wx)}-{max(wx)}')
hit = hurts(rows)
check(hit and abs(float(rows[hit[0]]['enemyX']) - wx[hit[0]]) < 0.01 and abs(wx[hit[0]] - float(rows[hit[0]]['x'])) < 32,
      f'walker: did not run into the player (hurt at {hit})')
print(f'walker: walked {min(wx):.0f}-{max(wx):.0f}, hurt the player at {hit[:1]}')

# ---- Chuck: provoked, keeps its distance, throws ----
rows = run('chuck', 520, [(150, 150, ATTACK)], (1672, 660), ['Froacker:0', 'Projectile'], pngs=(260,))
state, proj = col(rows, 'Froacker:0.state', int), col(rows, 'Projectile.count', int)
hop, aim = first(state, lambda s: s == 1), first(state, lambda s: s == 2)
check(hop is not None and aim is not None and aim > hop, f'Chuck: hop {hop}, aim {aim}')
thrown = first(proj, lambda n: n > 0)
check(thrown is not None and aim is not None and thrown > aim, f'Chuck: no projectile after aiming ({thrown})')
if thrown is not None:
    pvx = col(rows, 'Projectile.vx')
    moving = first(pvx, lambda v: v is not None and v != 0, thrown)
    check(moving is not None and pvx[moving] < 0, 'Chuck: the projectile is not thrown toward the player')
    check(any(t > thrown for t in hurts(rows)), 'Chuck: the projectile never hurt the player')
    cx, px = col(rows, 'Froacker:0.x'), col(rows, 'x')
    # It lands near the player and backs off before it throws.
    check(cx[thrown] - px[thrown] > 60 and cx[thrown] > cx[aim] + 20,
          f'Chuck: {cx[aim] - px[aim]:.0f} px from the player on landing, {cx[thrown] - px[thrown]:.0f} at the throw')
print(f'Chuck: hops {hop}, aims {aim}, throws {thrown}')

# ---- Larry: the whole chase ----
rows = run('larry', 560, [(150, 150, ATTACK)], (2272, 690), ['Froacker:2'], pngs=(170, 240))
state = col(rows, 'Froacker:2.state', int)
seq = [state[0]] + [state[t] for t in range(1, len(state)) if state[t] != state[t - 1]]
check(seq[:7] == [0, 1, 2, 3, 4, 5, 0], f'Larry: states {seq}')
four = first(state, lambda s: s == 4)
five = first(state, lambda s: s == 5, four or 0)
check(four is not None and five is not None and 159 <= five - four <= 163, f'Larry: fast chase {four}-{five}')
print(f'Larry: states {seq[:7]}')

# ---- YardSlayer: roam, vanish, return behind the hitter ----
rows = run('slayer', 700, [(305, 320, UP), (308, 308, GRAPPLE)], (1900, 600), ['YardSlayer'],
           pngs=(300, 352, 400))
state, sx, sy = col(rows, 'YardSlayer.state', int), col(rows, 'YardSlayer.x'), col(rows, 'YardSlayer.y')
home, reach = (1900.0, 520.0), 64.0
gone = first(state, lambda s: s == 1)
check(gone is not None and gone > 250, f'YardSlayer: vanished at {gone}')
roam = sx[60:gone or len(rows)]
check(min(roam) >= home[0] - reach - 3 and max(roam) <= home[0] + reach + 3 and min(roam) < home[0] - reach + 6,
      f'YardSlayer: roamed {min(roam):.1f}-{max(roam):.1f}')
steps = [b - a for a, b in zip(roam, roam[1:]) if b != a]
turns = sum(1 for a, b in zip(steps, steps[1:]) if a * b < 0)
check(turns >= 1 and roam[-1] > min(roam) + 40, f'YardSlayer: turned {turns} times while roaming')
closing = first(state, lambda s: s == 2, gone or 0)
attack = first(state, lambda s: s == 3, closing or 0)
hidden = first(state, lambda s: s == 4, attack or 0)
roams = first(state, lambda s: s == 0, hidden or 0)
check(None not in (gone, closing, attack, hidden, roams), f'YardSlayer: states {gone} {closing} {attack} {hidden} {roams}')
if closing is not None:
    r = rows[closing]
    px, py = float(r['x']), float(r['y'])
    # The player faces right (toward the ghost it struck): it comes back 88 px to its left.
    check(abs(sx[closing] - (px - 88)) < 2 and abs(sy[closing] - (py - 16)) < 2,
          f'YardSlayer: back at {(sx[closing], sy[closing])}, the player at {(px, py)}')
    check(int(r['YardSlayer.flipX']) == 0, 'YardSlayer: comes back not facing the player')
if roams is not None:
    check(abs(sx[roams] - home[0]) < 2 and sy[roams] == home[1], f'YardSlayer: home at {(sx[roams], sy[roams])}')
check(any(attack is not None and attack <= t for t in hurts(rows)), 'YardSlayer: its attack never hurt the player')
print(f'YardSlayer: roamed {min(roam):.0f}-{max(roam):.0f}, vanished {gone}, back {closing}, attacks {attack}, home {roams}')

# ---- the Froackers' palettes: purple walker, red Chuck, blue Larry, each drawn in its own ----
skins = {'walker': (150, 80, 200), 'Chuck': (214, 64, 52), 'Larry': (60, 120, 220)}
frames = {'walker': 'walker150.png', 'Chuck': 'chuck260.png', 'Larry': 'larry170.png'}
for who, frame in frames.items():
    counts = {other: colour_count(frame, rgb, (0, 0, 424, 240), tol=20) for other, rgb in skins.items()}
    check(counts[who] > 30, f'{who}: {counts[who]} pixels of its skin in {frame}')
    print(f'{frame}: skin pixels {counts}')

if failures:
    print('\n'.join(failures))
    sys.exit(f'FAIL: {len(failures)} checks')
print('ok')
PYEOF
echo "runner roster on Test: ok"
