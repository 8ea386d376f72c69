#!/usr/bin/python3
"""One cold start of a disc's menu, started as a desktop starts it and watched from outside in the
current X server (a window manager must hold it):

    drive.py --disc DIR --cue FILE --marks FILE [--timeout S] [--pgid FILE] [--log FILE] [--shots PREFIX]

runs "sh autorun.sh" in DIR and notes, as time.monotonic() values: the exec, the 432 x 384
window mapped and its first complete paint (the first screen grab of the picture it then keeps
for a few seconds), a press on the Video button and the first bytes of its click sound in CUE,
a press on the Imagen topic, its tree filled, Enter on its first item (a picture folder), the
viewer's full-screen window mapped and its first complete paint. Every step waits at most
TIMEOUT seconds; a step that fails ends the run, which is then marked as failed (a click not
heard is noted, and the viewer measured all the same). The menu and all it started are ended at
the end. The marks go to FILE as one JSON object.
"""
import argparse
import ctypes
import json
import os
import shutil
import signal
import subprocess
import tempfile
import time
from ctypes import POINTER, byref, c_char_p, c_int, c_long, c_uint, c_ulong, c_void_p

WIDTH, HEIGHT = 432, 384
VIDEO, IMAGEN, AWAY = (380, 40), (396, 77), (320, 130)  # window points: two buttons, a blank spot
TREE = (79, 41, 218, 192)  # the topic's tree: x, y, width, height in the window
# A picture kept this long is taken as complete: longer than the pauses between the paints of one
# start, even from a CD.
QUIET = 3.0
RETURN_KEYSYM = 0xFF0D


class WindowAttributes(ctypes.Structure):
    _fields_ = [("x", c_int), ("y", c_int), ("width", c_int), ("height", c_int), ("border_width", c_int),
                ("depth", c_int), ("visual", c_void_p), ("root", c_ulong), ("class_", c_int),
                ("bit_gravity", c_int), ("win_gravity", c_int), ("backing_store", c_int),
                ("backing_planes", c_ulong), ("backing_pixel", c_ulong), ("save_under", c_int),
                ("colormap", c_ulong), ("map_installed", c_int), ("map_state", c_int),
                ("all_event_masks", c_long), ("your_event_mask", c_long),
                ("do_not_propagate_mask", c_long), ("override_redirect", c_int), ("screen", c_void_p)]


class Image(ctypes.Structure):
    _fields_ = [("width", c_int), ("height", c_int), ("xoffset", c_int), ("format", c_int),
                ("data", c_void_p), ("byte_order", c_int), ("bitmap_unit", c_int),
                ("bitmap_bit_order", c_int), ("bitmap_pad", c_int), ("depth", c_int),
                ("bytes_per_line", c_int), ("bits_per_pixel", c_int)]


X = ctypes.CDLL("libX11.so.6")
XT = ctypes.CDLL("libXtst.so.6")
X.XOpenDisplay.restype = c_void_p
X.XOpenDisplay.argtypes = [c_char_p]
X.XDefaultRootWindow.restype = c_ulong
X.XDefaultRootWindow.argtypes = [c_void_p]
X.XQueryTree.argtypes = [c_void_p, c_ulong, POINTER(c_ulong), POINTER(c_ulong), POINTER(POINTER(c_ulong)),
                         POINTER(c_uint)]
X.XGetWindowAttributes.argtypes = [c_void_p, c_ulong, POINTER(WindowAttributes)]
X.XGetImage.restype = POINTER(Image)
X.XGetImage.argtypes = [c_void_p, c_ulong, c_int, c_int, c_uint, c_uint, c_ulong, c_int]
X.XDestroyImage.argtypes = [POINTER(Image)]
X.XFree.argtypes = [c_void_p]
X.XSync.argtypes = [c_void_p, c_int]
X.XKeysymToKeycode.argtypes = [c_void_p, c_ulong]
X.XTranslateCoordinates.argtypes = [c_void_p, c_ulong, c_ulong, c_int, c_int, POINTER(c_int), POINTER(c_int),
                                    POINTER(c_ulong)]
XT.XTestFakeMotionEvent.argtypes = [c_void_p, c_int, c_int, c_int, c_ulong]
XT.XTestFakeButtonEvent.argtypes = [c_void_p, c_uint, c_int, c_ulong]
XT.XTestFakeKeyEvent.argtypes = [c_void_p, c_uint, c_int, c_ulong]
# A window may go between listing it and asking about it: such errors are expected, not fatal.
IGNORE_ERRORS = ctypes.CFUNCTYPE(c_int, c_void_p, c_void_p)(lambda d, e: 0)
X.XSetErrorHandler(IGNORE_ERRORS)


class Failed(Exception):
    pass


class Ended(Exception):
    pass


def ended(*_):
    raise Ended("ended from outside")


class Screen:
    def __init__(self):
        self.dpy = X.XOpenDisplay(None)
        if not self.dpy:
            raise SystemExit("drive: no X display")
        self.root = X.XDefaultRootWindow(self.dpy)

    def windows(self):
        """Viewable windows by id with their place and size on the screen: the root's children
        (the window manager's frames) and their children (the programs' own windows)."""
        found = {}

        def walk(parent, ox, oy, depth):
            r, p, kids, n = c_ulong(), c_ulong(), POINTER(c_ulong)(), c_uint()
            if not X.XQueryTree(self.dpy, parent, byref(r), byref(p), byref(kids), byref(n)):
                return
            ids = [kids[i] for i in range(n.value)]
            if kids:
                X.XFree(kids)
            for w in ids:
                a = WindowAttributes()
                if X.XGetWindowAttributes(self.dpy, w, byref(a)) and a.map_state == 2 and a.class_ == 1:
                    x, y = ox + a.x + a.border_width, oy + a.y + a.border_width
                    found[w] = (x, y, a.width, a.height)
                    if depth < 2:
                        walk(w, x, y, depth + 1)
        walk(self.root, 0, 0, 1)
        return found

    def origin(self, window):
        """Where Window's top left corner is on the screen now (the window manager may have put
        it in a frame and moved that since it was first seen)."""
        x, y, child = c_int(), c_int(), c_ulong()
        X.XTranslateCoordinates(self.dpy, window, self.root, 0, 0, byref(x), byref(y), byref(child))
        return x.value, y.value

    def grab(self, rect):
        """The screen's pixels in Rect (x, y, width, height), as bytes; None when the grab failed."""
        img = X.XGetImage(self.dpy, self.root, *rect, ~0 & 0xFFFFFFFF, 2)
        if not img:
            return None
        data = ctypes.string_at(img.contents.data, img.contents.bytes_per_line * img.contents.height)
        X.XDestroyImage(img)
        return data

    def press(self, x, y):
        XT.XTestFakeMotionEvent(self.dpy, -1, x, y, 0)
        XT.XTestFakeButtonEvent(self.dpy, 1, 1, 0)
        XT.XTestFakeButtonEvent(self.dpy, 1, 0, 0)
        X.XSync(self.dpy, 0)
        return time.monotonic()

    def move(self, x, y):
        XT.XTestFakeMotionEvent(self.dpy, -1, x, y, 0)
        X.XSync(self.dpy, 0)

    def key(self, keysym):
        code = X.XKeysymToKeycode(self.dpy, keysym)
        XT.XTestFakeKeyEvent(self.dpy, code, 1, 0)
        XT.XTestFakeKeyEvent(self.dpy, code, 0, 0)
        X.XSync(self.dpy, 0)
        return time.monotonic()


def save_ppm(path, width, height, bgrx):
    rgb = bytearray(width * height * 3)
    for i in range(3):
        rgb[i::3] = bgrx[2 - i::4]
    with open(path, "wb") as f:
        f.write(b"P6 %d %d 255\n" % (width, height) + rgb)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--disc", required=True)
    ap.add_argument("--cue", required=True)
    ap.add_argument("--marks", required=True)
    ap.add_argument("--timeout", type=float, default=30)
    ap.add_argument("--pgid", help="a file to write the menu's process group to, for whoever cleans up")
    ap.add_argument("--log", default=os.devnull, help="where the menu's output goes")
    ap.add_argument("--shots", help="a path prefix: the menu's and the viewer's settled pictures are kept "
                                    "there as PREFIX-menu.ppm and PREFIX-viewer.ppm, to check by eye")
    args = ap.parse_args()
    # Ended from outside (a timeout, Ctrl-C): the menu is ended all the same, below.
    signal.signal(signal.SIGTERM, ended)
    screen = Screen()
    marks = {"status": "ok"}
    beside = os.path.dirname(os.path.abspath(args.marks))
    runtime = tempfile.mkdtemp(prefix="runtime-", dir=beside)  # private, 0700, as a session's own
    # A person starting this disc for the first time: nothing cached or set from earlier starts.
    home = tempfile.mkdtemp(prefix="home-", dir=beside)
    env = dict(os.environ, XDG_RUNTIME_DIR=runtime, XDG_CACHE_HOME=f"{home}/cache", XDG_CONFIG_HOME=f"{home}/config",
               XDG_DATA_HOME=f"{home}/data", TELVARO_AUDIO_SINK=f"filesink sync=true location={args.cue}")
    for name in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY"):
        env.pop(name, None)
    if os.path.exists(args.cue):
        os.unlink(args.cue)
    screen.move(0, 0)  # away from every button
    proc = None

    def until(what, predicate, timeout=args.timeout, interval=0.005):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            value = predicate()
            if value:
                return value
            if proc.poll() is not None:
                raise Failed(f"the menu ended (code {proc.returncode}) before {what}")
            time.sleep(interval)
        raise Failed(f"no {what} within {timeout:.0f} s")

    def settled(what, rect, interval, keep=QUIET, shot=None):
        """When the picture in Rect first showed what it then kept for Keep seconds."""
        shown = [None, None]

        def quiet():
            pic = screen.grab(rect)
            now = time.monotonic()
            if pic != shown[0]:
                shown[:] = pic, now
            return pic is not None and now - shown[1] >= keep and shown[1]
        when = until(what, quiet, args.timeout + keep, interval)
        if shot and args.shots:
            save_ppm(f"{args.shots}-{shot}.ppm", rect[2], rect[3], shown[0])
        return when

    try:
        with open(args.log, "w") as out:
            marks["exec"] = time.monotonic()
            proc = subprocess.Popen(["/bin/sh", "autorun.sh"], cwd=args.disc, env=env, stdin=subprocess.DEVNULL,
                                    stdout=out, stderr=subprocess.STDOUT, start_new_session=True)
        if args.pgid:
            with open(args.pgid, "w") as f:
                f.write(f"{proc.pid}\n")
        wid, menu = until("menu window",
                          lambda: next(((w, g) for w, g in screen.windows().items() if g[2:] == (WIDTH, HEIGHT)), None))
        marks["mapped"] = time.monotonic()
        marks["painted"] = settled("complete paint of the menu", (*screen.origin(wid), WIDTH, HEIGHT), 0.01, shot="menu")
        ox, oy = screen.origin(wid)

        marks["pressed"] = screen.press(ox + VIDEO[0], oy + VIDEO[1])
        screen.move(ox + AWAY[0], oy + AWAY[1])
        try:
            until("click sound", lambda: os.path.exists(args.cue) and os.path.getsize(args.cue) > 0, interval=0.001)
            marks["cue"] = time.monotonic()
        except Failed as e:
            marks["status"] = f"failed: {e}"  # the viewer is measured all the same

        tree = (ox + TREE[0], oy + TREE[1], TREE[2], TREE[3])
        # The Video press fills its topic again, and a topic pressed during a fill is ignored (as
        # a person's second press would be): the tree is left to settle first.
        settled("tree after the Video press", tree, 0.02, keep=0.3)
        before = screen.grab(tree)
        marks["topic"] = screen.press(ox + IMAGEN[0], oy + IMAGEN[1])
        screen.move(ox + AWAY[0], oy + AWAY[1])
        until("change of the tree after the Imagen topic", lambda: screen.grab(tree) != before, interval=0.01)
        # Enter goes to the tree's first item: only once the topic's items are in it.
        marks["listed"] = settled("filled tree of the Imagen topic", tree, 0.02, keep=0.5)
        old = set(screen.windows())
        marks["enter"] = screen.key(RETURN_KEYSYM)
        full = until("viewer window", lambda: next((g for w, g in screen.windows().items()
                                                    if w not in old and g[2] >= 1024 and g[3] >= 768), None))
        marks["viewer_mapped"] = time.monotonic()
        marks["viewer"] = settled("complete paint of the viewer", full, 0.05, shot="viewer")
    except (Failed, Ended) as e:
        marks["status"] = f"failed: {e}"
        # What the screen showed, and what the menu was doing, when it still runs: its threads'
        # stacks beside the marks.
        shown = screen.grab((0, 0, 1024, 768))
        if shown:
            save_ppm(os.path.splitext(args.marks)[0] + ".failed.ppm", 1024, 768, shown)
        if proc is not None and proc.poll() is None and shutil.which("gdb"):
            with open(os.path.splitext(args.marks)[0] + ".stacks.txt", "w") as out:
                subprocess.run(["gdb", "-p", str(proc.pid), "-batch", "-ex", "thread apply all bt 20"],
                               stdout=out, stderr=subprocess.STDOUT, timeout=120)
    finally:
        if proc is not None:
            for sig, wait in ((signal.SIGTERM, 5), (signal.SIGKILL, 5)):
                try:
                    os.killpg(proc.pid, sig)
                    proc.wait(wait)
                    break
                except (ProcessLookupError, subprocess.TimeoutExpired):
                    pass
            try:
                os.killpg(proc.pid, signal.SIGKILL)  # what the menu started and left behind
            except ProcessLookupError:
                pass
        for folder in (runtime, home):
            shutil.rmtree(folder, ignore_errors=True)
        with open(args.marks, "w") as f:
            json.dump(marks, f)
            f.write("\n")


if __name__ == "__main__":
    main()
