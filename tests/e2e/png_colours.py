"""Counts pixels of chosen colours in a frame the runner wrote as PNG.

  png_colours.py FILE RRGGBB...   prints the frame's pixel count, then the count of each colour
"""
import sys

try:
    from PIL import Image
except ImportError:
    # A Python of its own (pyenv, a virtualenv) does not see the distribution's python3-pil.
    sys.path.append('/usr/lib/python3/dist-packages')
    from PIL import Image


def read_rows(path):
    """Yields (width, row) for each row of the picture, row as bytes R, G, B per pixel."""
    with Image.open(path) as image:
        rgb = image.convert('RGB')
    width, height = rgb.size
    raw = rgb.tobytes()
    stride = width * 3
    for y in range(height):
        yield width, raw[y * stride:(y + 1) * stride]


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    colours = [bytes.fromhex(colour) for colour in argv[2:]]
    total, counts = 0, [0] * len(colours)
    for width, row in read_rows(argv[1]):
        total += width
        for x in range(width):
            pixel = row[3 * x:3 * x + 3]
            for i, colour in enumerate(colours):
                counts[i] += pixel == colour
    print(total, *counts)


if __name__ == '__main__':
    main(sys.argv)
