"""Counts pixels of chosen colours in a frame the runner wrote as PNG (8-bit RGB, unfiltered rows).

  png_colours.py FILE RRGGBB...   prints the frame's pixel count, then the count of each colour
"""
import struct
import sys
import zlib


def read_rows(path):
    data = open(path, 'rb').read()
    pos, idat, width, height = 8, b'', 0, 0
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b'IHDR':
            width, height = struct.unpack('>II', body[:8])
        elif kind == b'IDAT':
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * 3 + 1
    for y in range(height):
        row = raw[y * stride:(y + 1) * stride]
        assert row[0] == 0, 'unfiltered rows expected'
        yield width, row[1:]


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
