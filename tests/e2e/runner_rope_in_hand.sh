#!/usr/bin/env bash
# The rope in the hero's hands, measured on the runner's frames: the swing across the Test stage's
# pit (the keys of runner_swing_test_stage.sh) every 2 ticks from the throw to the landing, a throw in
# each of the ten rows of the throw table (on Test's start flat; the downward ones thrown in a jump,
# hooking the ground, and let go), a zip from the Graveyard's ground up to the one-way floor over it,
# and a zip on a whip that has struck a CandleHead (the hang). On every frame where the rope is
# drawn, the rope's end (the far end, from the tip, of the rope's own colours joined to the tip)
# lies within 4 px of what the hero holds (a glove or the whip's handle, colours of their own): the
# rope spin's 13 frames serve 10 steps of angle each, up to 2.5 px off at the hands, and the hero's
# rim hides the rope's last pixel or two. On every frame in the air with the whip hooked or zipping,
# the body (the shirt's middle) lies at least 6 px beyond the leading hand (the glove nearest the
# anchor) as seen from the anchor. Each part must show enough frames. A contact sheet of the frames,
# the measured rope end ringed, is kept as evidence with the numbers; all frames and traces are kept
# in KEEP_DIR when it is set.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/data_folder.bash"
evidence="$BUILD_DIR/e2e-evidence/runner_rope_in_hand"
rm -rf "$evidence"
mkdir -p "$evidence"

# Slots: Up 72, Down 80, Left 75, Right 77, grapple E 18.
throw() { # TICK [DIRECTION SLOTS...]: hold the directions for 4 ticks, tap grapple on the second
    local t=$1
    shift
    for slot in "$@"; do echo "$t-$((t + 3)) $slot"; done
    echo "$((t + 1)) 18 down"
    echo "$((t + 2)) 18 up"
}
let_go() { echo "$1 18 down"; echo "$(($1 + 1)) 18 up"; }
jump() { echo "$1-$(($1 + 18)) 31"; } # the downward throws are thrown from high in a jump
{
    throw 40 72         # up, facing right
    throw 80 72 77      # up and right
    throw 120           # level, facing right
    jump 150
    throw 160 80 77     # down and right
    let_go 190
    jump 210
    throw 220 80        # down, facing right
    let_go 250
    throw 280 75        # level, turning left
    throw 320 72        # up, facing left
    throw 360 72 75     # up and left
    jump 390
    throw 400 80 75     # down and left
    let_go 430
    jump 450
    throw 460 80        # down, facing left
    let_go 490
} > throws.keys
printf '250-260 72\n251-290 18\n' > zip.keys # grapple held through the hook: a zip
printf '30-31 77\n40-80 18\n' > hang.keys

# name|stage|start (or -)|keys|first frame|last frame|step
runs=("swing|Test|-|$here/swing_test_stage.keys|508|760|2"
      "throws|Test|150,700|throws.keys|40|500|2"
      "zip|Graveyard|1800,1230|zip.keys|250|275|1"
      "hang|Test|930,650|hang.keys|44|70|1")
for run in "${runs[@]}"; do
    IFS='|' read -r name stage start keys first last step <<< "$run"
    pngs=()
    for ((t = first; t <= last; t += step)); do pngs+=(--png "$t:$name-$t.png"); done
    start_at=()
    [[ "$start" != - ]] && start_at=(--start-at "$start")
    "$BUILD_DIR/tools/runner" data $((last + 1)) --stage "$stage" "${start_at[@]}" --keys "$keys" \
        --trace "$name.csv" "${pngs[@]}" > /dev/null
done
if [ -n "${KEEP_DIR:-}" ]; then mkdir -p "$KEEP_DIR" && cp ./*.csv ./*.png "$KEEP_DIR/"; fi

python3 - "$evidence" "${runs[@]}" <<'PY'
import csv, math, sys
try:
    from PIL import Image, ImageDraw
except ImportError:
    sys.path.append('/usr/lib/python3/dist-packages')
    from PIL import Image, ImageDraw

evidence, runs = sys.argv[1], [r.split('|') for r in sys.argv[2:]]
# The whip's line and its shade, its links and their sparkles.
ROPE = {(176, 112, 52), (92, 52, 22), (160, 96, 40), (100, 56, 20), (255, 226, 80)}
SPARKLE = (255, 255, 255)
GLOVE, HANDLE, SHIRT = (232, 176, 96), (128, 80, 44), (56, 100, 224)
failures, report, cells = [], [], []

def near(pixels, w, h, cx, cy, r, colours):
    return [(x, y) for y in range(max(0, cy - r), min(h, cy + r + 1))
            for x in range(max(0, cx - r), min(w, cx + r + 1)) if pixels[x, y] in colours]

def rope_end(pixels, w, h, tip, player):
    """The far end, from the tip, of the rope drawn from it, or None when no rope is drawn. The rope
    is followed from the tip through its colours, which nothing else on these stages shows, and
    through a sparkle's white only near the line from the tip to the player's position (the bones
    lying about are white too)."""
    (tx, ty), (px, py) = tip, player
    span = max(math.dist(tip, player), 1.0)
    def inside(x, y):
        t = max(0.0, min(1.0, ((x - tx) * (px - tx) + (y - ty) * (py - ty)) / span ** 2))
        return math.dist((x, y), (tx + t * (px - tx), ty + t * (py - ty))) <= 8
    seen = set(near(pixels, w, h, tx, ty, 8, ROPE))
    todo = list(seen)
    while todo:
        x, y = todo.pop()
        for dy in range(-2, 3):
            for dx in range(-2, 3):
                q = (x + dx, y + dy)
                if (q not in seen and 0 <= q[0] < w and 0 <= q[1] < h and
                        (pixels[q] in ROPE or (pixels[q] == SPARKLE and inside(*q)))):
                    seen.add(q)
                    todo.append(q)
    rope = [p for p in seen if pixels[p] in ROPE]
    return max(rope, key=lambda p: math.dist(p, tip)) if rope else None

def middle(points):
    return (sum(x for x, _ in points) / len(points), sum(y for _, y in points) / len(points))

for name, stage, start, keys, first, last, step in runs:
    rows = {int(r['tick']): r for r in csv.DictReader(open(f'{name}.csv'))}
    held = beyond = 0
    for tick in range(int(first), int(last) + 1, int(step)):
        r = rows[tick]
        sx, sy = int(r['scrollX']), int(r['scrollY'])
        px, py = int(float(r['x'])) - sx, int(float(r['y'])) - sy
        tip = (int(float(r['tipX'])) - sx, int(float(r['tipY'])) - sy)
        with Image.open(f'{name}-{tick}.png') as image:
            rgb = image.convert('RGB')
        w, h = rgb.size
        pixels = rgb.load()
        end = rope_end(pixels, w, h, tip, (px, py))
        grip = near(pixels, w, h, px, py, 40, {GLOVE, HANDLE})
        gloves = [p for p in grip if pixels[p] == GLOVE]
        shirt = near(pixels, w, h, px, py, 24, {SHIRT})
        note = f'{name} {tick}'
        if end:
            held += 1
            d = min((math.dist(end, g) for g in grip), default=99.0)
            note += f' end {end[0] - px:+d},{end[1] - py:+d} grip {d:.1f}'
            if d > 4:
                failures.append(f'{note}: the rope ends {d:.1f} px from the hero\'s grip')
        hooked = r['whipState'] in ('4', '5') and r['groundContact'] == '0' and r['joints'] == '0'
        if hooked and gloves and shirt and math.dist(tip, (px, py)) >= 24:
            # The leading hand, the one nearest the anchor, and the body's middle: how far past
            # the hand the body lies along the rope from the anchor.
            beyond += 1
            hand, body = min(gloves, key=lambda g: math.dist(g, tip)), middle(shirt)
            along = max(math.dist(hand, tip), 1.0)
            past = ((body[0] - hand[0]) * (hand[0] - tip[0]) + (body[1] - hand[1]) * (hand[1] - tip[1])) / along
            note += f' body {past:.1f} past the hand'
            if past < 6:
                failures.append(f'{note}: the body is not beyond the hands as seen from the anchor')
        report.append(note)
        if end or hooked:
            cell = rgb.crop((px - 40, py - 40, px + 40, py + 40)).resize((240, 240), Image.NEAREST)
            draw = ImageDraw.Draw(cell)
            if end:
                ex, ey = (end[0] - px + 40) * 3 + 1, (end[1] - py + 40) * 3 + 1
                draw.ellipse((ex - 5, ey - 5, ex + 5, ey + 5), outline=(255, 0, 0))
            draw.text((3, 3), f'{name} {tick}', fill=(255, 255, 0))
            cells.append(cell)
    report.append(f'{name}: {held} frames with the rope drawn, {beyond} hooked in the air')
    # Enough of each part: the swing and its zip, every throw's rope, the zip up, the hang.
    least = {'swing': (60, 50), 'throws': (40, 0), 'zip': (8, 6), 'hang': (10, 8)}[name]
    if held < least[0] or beyond < least[1]:
        failures.append(f'{name}: only {held} frames with the rope and {beyond} hooked in the air')

# Every row of the throw table showed its rope in the hand: frames with the rope within 30 ticks of
# each throw's press.
throw_ticks = [41, 81, 121, 161, 221, 281, 321, 361, 401, 461]
measured = [int(n.split()[1]) for n in report if n.startswith('throws ') and ' end ' in n]
for t in throw_ticks:
    if sum(t <= m < t + 30 for m in measured) < 3:
        failures.append(f'the throw pressed at tick {t} showed its rope in fewer than 3 frames')

columns = 10
sheet = Image.new('RGB', (columns * 240, (len(cells) + columns - 1) // columns * 240), (32, 32, 32))
for i, cell in enumerate(cells):
    sheet.paste(cell, (i % columns * 240, i // columns * 240))
sheet.save(f'{evidence}/contact_sheet.png')
open(f'{evidence}/measured.txt', 'w').write('\n'.join(report) + '\n')
if failures:
    print('\n'.join(failures[:30]))
    sys.exit(f'FAIL: {len(failures)} checks')
print('\n'.join(n for n in report if n.endswith('air')))
PY
echo "runner rope in hand: ok"
