#!/usr/bin/env python3
"""Checks the window test's picture in a screenshot.

check_picture.py SHOT.png SCALE LEFT TOP [WIDTH HEIGHT]

SHOT is a screenshot of the whole screen, SCALE 1 or 2, LEFT TOP the client area's origin that the
program reported. The picture is found by its top-left marker colour; it must sit at the reported
origin, and chosen pixels (the four corners, both sides of every corner block's edges, the rows and
columns at the picture's edges, and points inside the gradient) must carry the pattern's colours,
each source pixel covering SCALE x SCALE screen pixels.

SCALE "full" is the full-screen picture, stretched and filtered over the client area of WIDTH x
HEIGHT: then the inside of each corner block, near the client area's corners, must have the block's
colour, and the middle of the picture must be the gradient (neither black nor a block colour).
"""
import subprocess
import sys

WIDTH, HEIGHT = 424, 240
MARKER = (0xFF, 0x00, 0xFF)


def pattern(x, y):
    left, top = x < 8, y < 8
    right, bottom = x >= WIDTH - 8, y >= HEIGHT - 8
    if left and top:
        return 0xFF00FF
    if right and top:
        return 0x00FFFF
    if left and bottom:
        return 0xFFFF80
    if right and bottom:
        return 0x8080FF
    return (x & 0xFF) << 16 | (y & 0xFF) << 8 | (0x20 if x < 256 else 0x60)


def main():
    shot, scale_text, reported_left, reported_top = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    size = subprocess.run(["identify", "-format", "%w %h", shot], check=True, capture_output=True, text=True)
    screen_w, screen_h = map(int, size.stdout.split())
    raw = subprocess.run(["convert", shot, "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout

    def screen(x, y):
        i = (y * screen_w + x) * 3
        return raw[i] << 16 | raw[i + 1] << 8 | raw[i + 2]

    marker = bytes(MARKER)
    at = raw.find(marker)
    while at >= 0 and at % 3:
        at = raw.find(marker, at + 1)
    if at < 0:
        print(f"FAIL: no marker colour #{0xFF00FF:06X} on the screen")
        return 1
    left, top = (at // 3) % screen_w, (at // 3) // screen_w
    print(f"picture at {left},{top}; the program reported its client area at {reported_left},{reported_top}")
    failures = 0
    # Stretched and filtered, the outermost pixels blend with the texture's far edge.
    slack = 2 if scale_text == "full" else 0
    if not (0 <= left - reported_left <= slack and 0 <= top - reported_top <= slack):
        print("FAIL: the picture does not start at the client area's origin")
        failures += 1
    if scale_text == "full":
        width, height = int(sys.argv[5]), int(sys.argv[6])
        left, top = reported_left, reported_top
        points = (((8, 8), 0xFF00FF), ((width - 9, 8), 0x00FFFF), ((8, height - 9), 0xFFFF80),
                  ((width - 9, height - 9), 0x8080FF))
        for (x, y), want in points:
            got = screen(left + x, top + y)
            if got != want:
                print(f"FAIL: client pixel {x},{y} is #{got:06X}, expected the corner colour #{want:06X}")
                failures += 1
        middle = screen(left + width // 2, top + height // 2)
        if middle in (0, 0xFF00FF, 0x00FFFF, 0xFFFF80, 0x8080FF) or (middle & 0xFF) not in range(0x18, 0x68):
            print(f"FAIL: the middle of the picture is #{middle:06X}, not the gradient")
            failures += 1
        print(f"full screen: {len(points) + 1} points checked over {width}x{height}, {failures} wrong")
        return 1 if failures else 0
    scale = int(scale_text)
    if left + WIDTH * scale > screen_w or top + HEIGHT * scale > screen_h:
        print("FAIL: the picture does not fit on the screen")
        return 1

    xs = sorted({0, 1, 7, 8, 100, 255, 256, 300, WIDTH - 9, WIDTH - 8, WIDTH - 2, WIDTH - 1})
    ys = sorted({0, 1, 7, 8, 120, 200, HEIGHT - 9, HEIGHT - 8, HEIGHT - 2, HEIGHT - 1})
    checked = 0
    for y in ys:
        for x in xs:
            want = pattern(x, y)
            for dy in range(scale):
                for dx in range(scale):
                    got = screen(left + x * scale + dx, top + y * scale + dy)
                    checked += 1
                    if got != want:
                        failures += 1
                        if failures <= 12:
                            print(f"FAIL: picture pixel {x},{y} (screen {left + x * scale + dx},"
                                  f"{top + y * scale + dy}) is #{got:06X}, expected #{want:06X}")
    # Just outside the picture there is no picture colour: it ends where it should.
    for x, y in ((left + WIDTH * scale, top), (left, top + HEIGHT * scale)):
        if x < screen_w and y < screen_h and screen(x, y) in (0xFF00FF, 0x00FFFF, 0xFFFF80):
            print(f"FAIL: a picture colour beyond the picture at {x},{y}")
            failures += 1
    print(f"{checked} screen pixels checked at {scale}x, {failures} wrong")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
