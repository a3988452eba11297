#!/usr/bin/env bash
# The boss fight as a player sees it: the playthrough's keys (its road to Village 1's arena and the
# fight grown into playthrough_fight.keys) played from the first tick until the beaten boss has
# dropped out of the arena. A first run traces the body and the slots its pieces take; the moments
# are picked from the trace and a second run writes their frames, which are measured by colour:
# - The standing boss (every 4th tick alive on the floor in a pose with its face at rest: idle,
#   slam, catch, throws): its red eyes, in the rows where the face is painted, lie on the side it
#   faces by its flip (its left with flipX 1), and no red lies past its middle on the other side
#   (a mirrored face from its glow copy or its arm layers, however faint). At least half of those
#   frames have the hero on that side.
# - The caught bale, on every tick it rides the catch and is held for the throw: white gloves under
#   both halves of its bottom edge, reaching it.
# - The dying boss standing on the floor: most of the smoke of its explosions lies on the body
#   (crown to feet), its middle well above the feet.
# A contact sheet of the moments (standing, slam, catch, the caught bale's throw, the bale throw,
# dying), cut round the boss and doubled, is kept as evidence with the whole frames.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
fight="$here/playthrough_fight.keys"
beaten=$(sed -n '1s/.*beaten at tick \([0-9][0-9]*\).*/\1/p' "$fight")
[[ -n "$beaten" ]] || { echo "FAIL: $fight does not say when the boss is beaten"; exit 1; }
TICKS=$((beaten + 240))

source "$here/data_folder.bash"
evidence="$BUILD_DIR/e2e-evidence/runner_boss_fight"
rm -rf "$evidence"
mkdir -p "$evidence"

bash "$here/runner_playthrough.sh" --road keys.txt
grep -v '^#' "$fight" >> keys.txt
watch=()
for i in 1 2 3 4 5 6 7 8; do watch+=(--watch "HaystackKing:$i"); done
"$BUILD_DIR/tools/runner" data "$TICKS" --keys keys.txt --trace trace.csv "${watch[@]}" > /dev/null

# What the trace says of the body (slot 1) and of the bale it holds (a slot of 2-8 in state 1,
# riding the catch, or 2, held for the throw, over the body's crown).
cat > boss_trace.py <<'PY'
import csv

rows = list(csv.DictReader(open('trace.csv')))
assert [int(r['tick']) for r in rows] == list(range(len(rows))), 'one row a tick'


def watched(row, slot):
    prefix = f'HaystackKing:{slot}.'
    return {k[len(prefix):]: v for k, v in row.items() if k.startswith(prefix)}


def body(row):
    return watched(row, 1)


def caught_bale(row):
    king = body(row)
    for slot in range(2, 9):
        piece = watched(row, slot)
        if piece.get('alive') == '1' and piece['state'] in ('1', '2') and \
                abs(float(piece['x']) - float(king['x'])) < 40 and \
                -110 < float(piece['y']) - float(king['y']) < -60:
            return piece
    return None


def in_view(row, b, width=424):
    # The body's whole width on the screen.
    return 50 <= float(b['x']) - int(row['scrollX']) < width - 50
PY

# The moments.
python3 - > ticks.txt <<'PY'
import json
from boss_trace import rows, body, caught_bale, in_view

alive = [body(r) for r in rows if body(r).get('alive') == '1']
floor_y = max(float(b['y']) for b in alive if float(b['vy']) == 0)


def stands(b):
    return b.get('alive') == '1' and float(b['vy']) == 0 and abs(float(b['y']) - floor_y) < 2


picks = {'eyes': [], 'bale': [], 'smoke': [], 'sheet': {}}
for row in rows:
    tick, b = int(row['tick']), body(row)
    # In play (no defeat's fade) with the body wholly in view.
    if b.get('alive') != '1' or row['state'] not in ('normal', 'air', 'hanging', 'hurt') or not in_view(row, b):
        continue
    hp, anim, frame = float(b['hp']), int(b['anim']), int(b['frame'])
    at_rest = anim in (0, 6, 8, 10) or (anim == 4 and frame != 8)
    if hp > 0 and stands(b) and at_rest and tick % 4 == 0:
        picks['eyes'].append(tick)
    if hp > 0 and caught_bale(row) and (anim == 6 or (anim == 8 and frame < 4)):
        picks['bale'].append(tick)
    if hp <= 0 and stands(b) and tick % 2 == 0:
        picks['smoke'].append(tick)
    # The first tick of each moment for the sheet (standing: with the hero close by).
    hero = abs(float(row['x'] or 1e9) - float(b['x']))
    for name, ok in (('standing', hp > 0 and stands(b) and anim == 0 and hero < 120),
                     ('slam', anim == 4 and frame == 8), ('catch', anim == 6 and frame == 1),
                     ('throw', anim == 8 and frame == 3), ('bale throw', anim == 10 and frame == 4 and hp > 0),
                     ('dying', hp <= 0 and stands(b) and len(picks['smoke']) == 6)):
        if ok:
            picks['sheet'].setdefault(name, tick)
json.dump(picks, open('picks.json', 'w'))
print(' '.join(str(t) for t in sorted(set(picks['eyes'] + picks['bale'] + picks['smoke'] +
                                          list(picks['sheet'].values())))))
PY
pngs=()
for t in $(cat ticks.txt); do pngs+=(--png "$t:f$t.png"); done
"$BUILD_DIR/tools/runner" data "$TICKS" --keys keys.txt "${pngs[@]}" > /dev/null

python3 - "$here" "$evidence" <<'PY'
import json, shutil, sys
sys.path.insert(0, sys.argv[1])
from sprite_extents import Image  # PIL, wherever the distribution put it
from PIL import ImageDraw
from boss_trace import rows, body, caught_bale
evidence = sys.argv[2]

FEET = 60           # the body's feet under its position
EYES = FEET - 86    # the row of its eyes, in a pose at rest
GLOVE = (244, 244, 236)
SMOKE = [(190, 186, 182), (128, 124, 122), (78, 74, 76)]
picks = json.load(open('picks.json'))
failures = []
def check(ok, what):
    if not ok:
        failures.append(what)

def frame(tick):
    with Image.open(f'f{tick}.png') as image:
        return image.convert('RGB')

def on_screen(row, x, y):
    return int(float(x)) - int(row['scrollX']), int(float(y)) - int(row['scrollY'])

def red(p):
    # The eyes' red, and any share of it mixed over the hay by a glow copy.
    return p[0] >= 120 and p[0] - p[1] >= 55 and p[0] - p[2] >= 55

def near(p, colour, tolerance):
    return all(abs(a - b) <= tolerance for a, b in zip(p, colour))

# Eyes toward the side faced, and one face only.
toward_hero = 0
for tick in picks['eyes']:
    row, b = rows[tick], body(rows[tick])
    image = frame(tick)
    px = image.load()
    cx, cy = on_screen(row, b['x'], b['y'])
    side = -1 if b['flipX'] == '1' else 1
    ahead, behind = [], 0
    for y in range(max(0, cy + EYES - 6), min(image.height, cy + EYES + 6)):
        for x in range(max(0, cx - 44), min(image.width, cx + 45)):
            if red(px[x, y]):
                if (x - cx) * side >= 2:
                    ahead.append(x)
                elif (x - cx) * side < -1:
                    behind += 1
    middle = sum(ahead) / len(ahead) - cx if ahead else 0
    # (One eye's worth at least: a bone the hurt hero drops can pass over the other.)
    check(len(ahead) >= 24 and middle * side >= 12,
          f'tick {tick}: the eyes are not on the side the boss faces (flipX {b["flipX"]}): '
          f'{len(ahead)} red pixels there, their middle {middle:+.1f} px off its position')
    check(behind == 0, f'tick {tick}: {behind} red pixels of a second face on the side it turns from')
    toward_hero += (float(row['x']) - float(b['x'])) * side > 0
check(len(picks['eyes']) >= 40, f'only {len(picks["eyes"])} frames of the boss standing')
check(toward_hero * 2 >= len(picks['eyes']),
      f'the boss faced the hero in only {toward_hero} of {len(picks["eyes"])} frames')

# The caught bale in the gloves: each half of its bottom edge touched by a glove.
for tick in picks['bale']:
    row = rows[tick]
    image = frame(tick)
    px = image.load()
    bale = caught_bale(row)
    bx, by = on_screen(row, bale['x'], bale['y'])
    # The bale's pixels end at its position's row and its rim a row under; the far glove, behind
    # it, shows from the row under the rim.
    for half, xs in (('left', range(bx - 32, bx)), ('right', range(bx, bx + 33))):
        glove = [y for x in xs for y in range(by - 8, by + 10)
                 if 0 <= x < image.width and 0 <= y < image.height and near(px[x, y], GLOVE, 6)]
        check(len(glove) >= 8 and min(glove) <= by + 2,
              f'tick {tick}: no glove touches the {half} half of the bale\'s bottom at ({bx}, {by}): '
              f'{len(glove)} glove pixels, the highest at {min(glove) if glove else None}')
check(len(picks['bale']) >= 30, f'only {len(picks["bale"])} frames of the caught bale')

# The dying boss's smoke on the body.
on_body, total, height = 0, 0, 0
for tick in picks['smoke']:
    row, b = rows[tick], body(rows[tick])
    image = frame(tick)
    cx, cy = on_screen(row, b['x'], b['y'])
    width = image.width
    for i, p in enumerate(image.getdata()):
        if any(near(p, s, 6) for s in SMOKE):
            x, y = i % width, i // width
            total += 1
            height += cy + FEET - y
            on_body += abs(x - cx) <= 50 and cy + FEET - 130 <= y <= cy + FEET
check(len(picks['smoke']) >= 8, f'only {len(picks["smoke"])} frames of the dying boss standing')
check(total > 0, 'no smoke seen on the dying boss')
if total:
    print(f'dying: {total} smoke pixels in {len(picks["smoke"])} frames, {100 * on_body // total}% on the body, '
          f'their middle {height / total:.0f} px over the feet')
    check(on_body * 10 >= total * 7, f'only {on_body} of {total} smoke pixels on the dying body')
    check(height / total >= 48, f'the smoke\'s middle lies {height / total:.0f} px over the feet')
print(f'eyes: {len(picks["eyes"])} frames, {toward_hero} toward the hero; caught bale: {len(picks["bale"])} frames')

# The contact sheet, each moment cut round the boss from its crown to under its feet.
names = ['standing', 'slam', 'catch', 'throw', 'bale throw', 'dying']
moments = picks['sheet']
check(all(n in moments for n in names), f'moments missing from the fight: {[n for n in names if n not in moments]}')
W, H = 200, 240
sheet = Image.new('RGB', (W * 2 * 3, H * 2 * 2))
for i, name in enumerate(names):
    if name not in moments:
        continue
    tick = moments[name]
    row, b = rows[tick], body(rows[tick])
    cx, cy = on_screen(row, b['x'], b['y'])
    cut = frame(tick).crop((cx - W // 2, cy + FEET + 14 - H, cx + W // 2, cy + FEET + 14))
    cut = cut.resize((W * 2, H * 2), Image.NEAREST)
    ImageDraw.Draw(cut).text((6, 4), f'{name}, tick {tick}', fill=(255, 255, 255))
    sheet.paste(cut, ((i % 3) * W * 2, (i // 3) * H * 2))
    shutil.copy(f'f{tick}.png', f'{evidence}/{i}-{name.replace(" ", "-")}-{tick}.png')
sheet.save(f'{evidence}/sheet.png')

if failures:
    print('\n'.join(failures[:20]))
    sys.exit(f'FAIL: {len(failures)} checks')
PY
echo "runner boss fight as the player sees it: ok"
