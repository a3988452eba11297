"""Helpers of the real-window tests.

  x11_check.py picture SHOT.ppm X Y WIDTH HEIGHT SCALE
      The probe's pattern must fill the rectangle exactly, each frame pixel SCALE x SCALE
      screen pixels, with the magenta marker as the rectangle's top-left pixel.
  x11_check.py framed SHOT.ppm X Y WIDTH HEIGHT SCALE
      Full screen: as picture, and every screen pixel outside the rectangle is black.
  x11_check.py letterbox SHOT X Y WIDTH HEIGHT SCALE OUT.png
      Full screen with any picture: every screen pixel outside the rectangle is black and the
      rectangle is made of SCALE x SCALE blocks of one colour each; writes the picture at 1x.
  x11_check.py close WINDOW_ID        sends the window manager's close request to a window
  x11_check.py key WINDOW_ID KEYSYM   presses and releases a key in a window
"""
import ctypes
import ctypes.util
import sys

try:
    from PIL import Image
except ImportError:
    # A Python of its own (pyenv, a virtualenv) does not see the distribution's python3-pil.
    sys.path.append('/usr/lib/python3/dist-packages')
    from PIL import Image

FRAME_W, FRAME_H = 424, 240
MAGENTA, CYAN, YELLOW, WHITE = 0xFF00FF, 0x00FFFF, 0xFFFF00, 0xFFFFFF


def pattern(x, y):
    left, right = x < 4, x >= FRAME_W - 4
    top, bottom = y < 4, y >= FRAME_H - 4
    if top and left:
        return MAGENTA
    if top and right:
        return CYAN
    if bottom and left:
        return YELLOW
    if bottom and right:
        return WHITE
    return ((x * 255 // (FRAME_W - 1)) << 16) | ((y * 255 // (FRAME_H - 1)) << 8) | 0x40


def read_ppm(path):
    """A screenshot as (width, height, at), at(x, y) giving the pixel as 0xRRGGBB."""
    with Image.open(path) as image:
        picture = image.convert('RGB')
    width, height = picture.size
    pixels = picture.load()

    def at(x, y):
        r, g, b = pixels[x, y]
        return (r << 16) | (g << 8) | b
    return width, height, at


def check_picture(path, x0, y0, width, height, scale):
    _, _, at = read_ppm(path)
    if (width, height) != (FRAME_W * scale, FRAME_H * scale):
        sys.exit('window is %dx%d, expected %dx%d' % (width, height, FRAME_W * scale, FRAME_H * scale))
    bad = 0
    for y in range(height):
        for x in range(width):
            want, got = pattern(x // scale, y // scale), at(x0 + x, y0 + y)
            if want != got:
                if bad < 5:
                    print('pixel (%d, %d): %06X, expected %06X' % (x, y, got, want))
                bad += 1
    if bad:
        sys.exit('%d of %d pixels differ from the pattern' % (bad, width * height))
    print('picture %dx%d at (%d, %d) matches the pattern at %dx' % (width, height, x0, y0, scale))


def check_bars(path, x0, y0, width, height):
    with Image.open(path) as image:
        screen = image.convert('RGB')
    w, h = screen.size
    if x0 < 0 or y0 < 0 or x0 + width > w or y0 + height > h:
        sys.exit('the picture %dx%d at (%d, %d) is not inside the %dx%d screen' % (width, height, x0, y0, w, h))
    bars = [(0, 0, w, y0), (0, y0 + height, w, h), (0, y0, x0, y0 + height), (x0 + width, y0, w, y0 + height)]
    for box in bars:
        if box[0] < box[2] and box[1] < box[3] and screen.crop(box).getextrema() != ((0, 0),) * 3:
            sys.exit('the bar %s round the picture is not all black' % (box,))
    print('the rest of the %dx%d screen is black' % (w, h))
    return screen


def check_framed(path, x0, y0, width, height, scale):
    check_picture(path, x0, y0, width, height, scale)
    check_bars(path, x0, y0, width, height)


def check_letterbox(path, x0, y0, width, height, scale, out):
    screen = check_bars(path, x0, y0, width, height)
    if width % scale or height % scale:
        sys.exit('the picture %dx%d is no whole multiple of %d' % (width, height, scale))
    picture = screen.crop((x0, y0, x0 + width, y0 + height))
    small = picture.resize((width // scale, height // scale), Image.NEAREST)
    if small.resize((width, height), Image.NEAREST).tobytes() != picture.tobytes():
        sys.exit('the picture is not made of %dx%d blocks of one colour' % (scale, scale))
    small.save(out)
    print('picture %dx%d at (%d, %d): %dx%d blocks, written at 1x' % (width, height, x0, y0, scale, scale))


class ClientMessage(ctypes.Structure):
    _fields_ = [('type', ctypes.c_int), ('serial', ctypes.c_ulong), ('send_event', ctypes.c_int),
                ('display', ctypes.c_void_p), ('window', ctypes.c_ulong), ('message_type', ctypes.c_ulong),
                ('format', ctypes.c_int), ('data', ctypes.c_long * 5), ('pad', ctypes.c_long * 12)]


class KeyEvent(ctypes.Structure):
    _fields_ = [('type', ctypes.c_int), ('serial', ctypes.c_ulong), ('send_event', ctypes.c_int),
                ('display', ctypes.c_void_p), ('window', ctypes.c_ulong), ('root', ctypes.c_ulong),
                ('subwindow', ctypes.c_ulong), ('time', ctypes.c_ulong), ('x', ctypes.c_int), ('y', ctypes.c_int),
                ('x_root', ctypes.c_int), ('y_root', ctypes.c_int), ('state', ctypes.c_uint),
                ('keycode', ctypes.c_uint), ('same_screen', ctypes.c_int), ('pad', ctypes.c_long * 12)]


def open_x11():
    xlib = ctypes.CDLL(ctypes.util.find_library('X11') or 'libX11.so.6')
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    xlib.XStringToKeysym.restype = ctypes.c_ulong
    xlib.XStringToKeysym.argtypes = [ctypes.c_char_p]
    xlib.XKeysymToKeycode.restype = ctypes.c_ubyte
    xlib.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    xlib.XFlush.argtypes = [ctypes.c_void_p]
    xlib.XResizeWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_uint, ctypes.c_uint]
    xlib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = xlib.XOpenDisplay(None)
    if not display:
        sys.exit('cannot open the display')
    return xlib, display


def send_close(window):
    xlib, display = open_x11()
    event = ClientMessage()
    event.type = 33  # ClientMessage
    event.window = window
    event.message_type = xlib.XInternAtom(display, b'WM_PROTOCOLS', 0)
    event.format = 32
    event.data[0] = xlib.XInternAtom(display, b'WM_DELETE_WINDOW', 0)
    event.data[1] = 0  # CurrentTime
    xlib.XSendEvent(display, window, 0, 0, ctypes.byref(event))
    xlib.XFlush(display)
    xlib.XCloseDisplay(display)


def send_key(window, keysym_name):
    xlib, display = open_x11()
    keycode = xlib.XKeysymToKeycode(display, xlib.XStringToKeysym(keysym_name.encode()))
    if not keycode:
        sys.exit('no key for %s' % keysym_name)
    for kind, mask in ((2, 1 << 0), (3, 1 << 1)):  # KeyPress, KeyRelease and their masks
        event = KeyEvent()
        event.type = kind
        event.window = window
        event.root = xlib.XDefaultRootWindow(display)
        event.keycode = keycode
        event.same_screen = 1
        xlib.XSendEvent(display, window, 1, mask, ctypes.byref(event))
    xlib.XFlush(display)
    xlib.XCloseDisplay(display)


def main(argv):
    if len(argv) == 8 and argv[1] == 'picture':
        check_picture(argv[2], *(int(v) for v in argv[3:8]))
    elif len(argv) == 8 and argv[1] == 'framed':
        check_framed(argv[2], *(int(v) for v in argv[3:8]))
    elif len(argv) == 9 and argv[1] == 'letterbox':
        check_letterbox(argv[2], *(int(v) for v in argv[3:8]), argv[8])
    elif len(argv) == 3 and argv[1] == 'close':
        send_close(int(argv[2], 0))
    elif len(argv) == 4 and argv[1] == 'key':
        send_key(int(argv[2], 0), argv[3])
    else:
        sys.exit(__doc__)


if __name__ == '__main__':
    main(sys.argv)
