#!/usr/bin/env python3
"""Helpers of the auxiliary-window tests.

extra_window_check.py picture SHOT.ppm X Y WIDTH HEIGHT BLUE
    SHOT is an 8-bit P6 screenshot of the whole screen; X Y the client area's origin on the screen and
    WIDTH HEIGHT its size. Every pixel of the client area must carry the test pattern drawn by the
    window's callback for a surface of WIDTH x HEIGHT: a gradient (red 3x mod 256, green 3y mod 256,
    blue BLUE) with a 4x4 block in each corner: magenta top left, cyan top right, yellow bottom
    left, white bottom right.
extra_window_check.py resize WINDOW_ID WIDTH HEIGHT
    Resizes an X window, as a window manager does at the end of a drag.
extra_window_check.py wheel X Y up|down
    Moves the pointer to (X, Y) on the screen and turns the wheel one notch (XTest).
"""
import ctypes
import ctypes.util
import sys

sys.dont_write_bytecode = True  # the import below must leave no cache in the source tree
from x11_check import open_x11, read_ppm  # noqa: E402


def pattern(x, y, width, height, blue):
    left, right = x < 4, x >= width - 4
    top, bottom = y < 4, y >= height - 4
    if top and left:
        return 0xFF00FF
    if top and right:
        return 0x00FFFF
    if bottom and left:
        return 0xFFFF00
    if bottom and right:
        return 0xFFFFFF
    return ((x * 3) & 0xFF) << 16 | ((y * 3) & 0xFF) << 8 | blue


def check_picture(shot, x0, y0, width, height, blue):
    screen_w, screen_h, at = read_ppm(shot)
    if width <= 8 or height <= 8 or x0 < 0 or y0 < 0 or x0 + width > screen_w or y0 + height > screen_h:
        sys.exit('the client area %dx%d at (%d, %d) is not on the %dx%d screen' % (width, height, x0, y0,
                                                                                 screen_w, screen_h))
    bad = 0
    for y in range(height):
        for x in range(width):
            want, got = pattern(x, y, width, height, blue), at(x0 + x, y0 + y)
            if want != got:
                if bad < 6:
                    print('client pixel (%d, %d): %06X, expected %06X' % (x, y, got, want))
                bad += 1
    if bad:
        sys.exit('%d of %d pixels differ from the pattern' % (bad, width * height))
    print('%dx%d picture at (%d, %d) matches the pattern, pixel for pixel' % (width, height, x0, y0))


def resize(window, width, height):
    xlib, display = open_x11()
    xlib.XResizeWindow(display, window, width, height)
    xlib.XSync(display, 0)
    xlib.XCloseDisplay(display)


def wheel(x, y, direction):
    xlib, display = open_x11()
    xtst = ctypes.CDLL(ctypes.util.find_library('Xtst') or 'libXtst.so.6')
    xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_ulong]
    xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
    button = 4 if direction == 'up' else 5
    xtst.XTestFakeMotionEvent(display, -1, x, y, 0)
    xlib.XSync(display, 0)
    xtst.XTestFakeButtonEvent(display, button, 1, 0)
    xtst.XTestFakeButtonEvent(display, button, 0, 0)
    xlib.XSync(display, 0)
    xlib.XCloseDisplay(display)


def main(argv):
    if len(argv) == 8 and argv[1] == 'picture':
        check_picture(argv[2], *(int(v, 0) for v in argv[3:8]))
    elif len(argv) == 5 and argv[1] == 'resize':
        resize(int(argv[2], 0), int(argv[3]), int(argv[4]))
    elif len(argv) == 5 and argv[1] == 'wheel' and argv[4] in ('up', 'down'):
        wheel(int(argv[2]), int(argv[3]), argv[4])
    else:
        sys.exit(__doc__)


if __name__ == '__main__':
    main(sys.argv)
