"""Measures where a sprite lies in a frame the runner wrote as PNG: the box round the pixels of its
colours inside a window of the frame.

  sprite_extents.py FILE LEFT,TOP,RIGHT,BOTTOM TOLERANCE RRGGBB...

The window is in frame pixels, edges included, and is cut to the frame. A pixel counts when each of
its channels lies within TOLERANCE of one of the colours (the frame's colours can be a step or two
off the palette's). Prints the count of such pixels and their box "COUNT LEFT TOP RIGHT BOTTOM", or
"0" when there are none, then the frame's width and height on a second line.
"""
import sys

try:
    from PIL import Image
except ImportError:
    # A Python of its own (pyenv, a virtualenv) does not see the distribution's python3-pil.
    sys.path.append('/usr/lib/python3/dist-packages')
    from PIL import Image


def extents(path, window, tolerance, colours):
    """(count, left, top, right, bottom) of the matching pixels (count 0 and Nones when none), and
    the frame's (width, height)."""
    with Image.open(path) as image:
        rgb = image.convert('RGB')
    width, height = rgb.size
    left, top, right, bottom = window
    left, top = max(0, left), max(0, top)
    right, bottom = min(width - 1, right), min(height - 1, bottom)
    pixels = rgb.load()
    count, box = 0, [None, None, None, None]
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            r, g, b = pixels[x, y]
            if any(abs(r - c[0]) <= tolerance and abs(g - c[1]) <= tolerance and abs(b - c[2]) <= tolerance
                   for c in colours):
                count += 1
                box = [x if box[0] is None else min(box[0], x), y if box[1] is None else min(box[1], y),
                       x if box[2] is None else max(box[2], x), y if box[3] is None else max(box[3], y)]
    return (count, *box), (width, height)


def main(argv):
    if len(argv) < 5:
        sys.exit(__doc__)
    window = tuple(int(v) for v in argv[2].split(','))
    if len(window) != 4:
        sys.exit('sprite_extents.py: the window is LEFT,TOP,RIGHT,BOTTOM')
    colours = [tuple(bytes.fromhex(c)) for c in argv[4:]]
    found, size = extents(argv[1], window, int(argv[3]), colours)
    print(' '.join(str(v) for v in found) if found[0] else '0')
    print(size[0], size[1])


if __name__ == '__main__':
    main(sys.argv)
