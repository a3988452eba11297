"""Finds a screenshot among the runner's frames.

  frame_match.py [--exact] SHOT FRAME...
                                 SHOT must equal one FRAME pixel for pixel (size and every colour);
                                 prints the first match's file name, or fails with the nearest
                                 frame and how many of its pixels differ (with --exact, without
                                 looking for the nearest: a quick poll).
"""
import sys

try:
    from PIL import Image, ImageChops
except ImportError:
    # A Python of its own (pyenv, a virtualenv) does not see the distribution's python3-pil.
    sys.path.append('/usr/lib/python3/dist-packages')
    from PIL import Image, ImageChops


def load(path):
    with Image.open(path) as image:
        return image.convert('RGB')


def differing_pixels(a, b):
    # Any channel off marks the pixel: the per-channel differences summed into one band.
    diff = ImageChops.difference(a, b).convert('L', (1, 1, 1, 0))
    return a.width * a.height - diff.histogram()[0]


def main(argv):
    exact = len(argv) > 1 and argv[1] == '--exact'
    if exact:
        argv = argv[1:]
    if len(argv) < 3:
        sys.exit(__doc__)
    shot = load(argv[1])
    shot_bytes = shot.tobytes()
    nearest, nearest_bad = None, None
    for path in argv[2:]:
        frame = load(path)
        if frame.size != shot.size:
            sys.exit('the screenshot is %dx%d, the frame %s %dx%d' % (shot.size + (path,) + frame.size))
        if frame.tobytes() == shot_bytes:
            print(path)
            return
        if exact:
            continue
        bad = differing_pixels(frame, shot)
        if nearest_bad is None or bad < nearest_bad:
            nearest, nearest_bad = path, bad
    if exact:
        sys.exit('no frame matches the screenshot')
    sys.exit('no frame matches the %dx%d screenshot; the nearest, %s, differs in %d of its pixels'
             % (shot.size + (nearest, nearest_bad)))


if __name__ == '__main__':
    main(sys.argv)
