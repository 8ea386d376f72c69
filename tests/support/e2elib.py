"""Shared helpers of the end-to-end and bundle tests: start the real menu in the X server that xvfb-run
gave us, under the openbox window manager as on a person's desktop (or with none, when a case
asks), find its windows, drive the pointer and the keyboard with xdotool, and read the screen's
pixels as a person sees them (a root screenshot, read here without ImageMagick's converters),
next to the skin bitmaps and the mask they should show."""

import json
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

import testdisc  # noqa: F401  (the cases make their discs with it)

SCREEN = (1024, 768)

_SKIN = None
_SKIN_NAMES = ("WIDTH", "HEIGHT", "TREE", "TREE_KEY", "PLACE")


def skin_geometry():
    """The skin's geometry as the build wrote it from the menu's own header (lib/SkinGeometry.h),
    read at the first need, so that a script that looks at no window needs no build:
    WIDTH, HEIGHT: the window's size; TREE: the tree's box in window pixels (left, top, right,
    bottom, the last two outside); TREE_KEY: its colour key as a screenshot's pixel reads;
    PLACE: where the menu centres its window on SCREEN."""
    global _SKIN
    if _SKIN is None:
        path = os.environ.get("TELVARO_SKIN_GEOMETRY", "")
        try:
            with open(path, encoding="utf-8") as f:
                g = json.load(f)
        except (OSError, ValueError) as err:
            sys.exit(f"e2e: TELVARO_SKIN_GEOMETRY must name the build's skin-geometry.json ({path!r}: {err})")
        x, y, w, h = g["tree"]
        _SKIN = {"WIDTH": g["width"], "HEIGHT": g["height"], "TREE": (x, y, x + w, y + h),
                 "TREE_KEY": tuple(g["treeKey"]),
                 "PLACE": ((SCREEN[0] - g["width"]) // 2, (SCREEN[1] - g["height"]) // 2)}
    return _SKIN


def __getattr__(name):
    """The cases' e.WIDTH, e.HEIGHT, e.TREE, e.TREE_KEY and e.PLACE (see skin_geometry)."""
    if name in _SKIN_NAMES:
        return skin_geometry()[name]
    raise AttributeError(f"module {__name__!r} has no attribute {name!r}")


# Boxes of the map's regions by id, in window pixels: left, top, right, bottom (right and bottom
# outside), as the program's checker reads them (map_boxes); filled in when a case starts.
BOXES = {}

FAILURES = []


def log(*args):
    print(*args, flush=True)


def check(ok, what):
    """Records one expectation; the script fails at the end if any did not hold."""
    log(("ok   " if ok else "FAIL ") + what)
    if not ok:
        FAILURES.append(what)
    return ok


def finish():
    if FAILURES:
        log(f"{len(FAILURES)} expectation(s) failed:")
        for f in FAILURES:
            log("  - " + f)
        sys.exit(1)
    log("all expectations held")
    sys.exit(0)


def map_boxes(checker, disc):
    """The boxes of the regions of the window's map, by id, as telvaro-check reports them for Disc."""
    out = run([checker, "--json", disc], timeout=60)
    try:
        regions = json.loads(out)["map"]["regions"]
    except (ValueError, KeyError, TypeError):
        sys.exit(f"e2e: telvaro-check gave no map for {disc}: {out[-500:]!r}")
    return {r["id"]: tuple(r["box"]) for r in regions}


def run(args, timeout=10, check_rc=False, env=None):
    """Runs a helper tool, bounded in time; returns its standard output ('' when it fails)."""
    try:
        p = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout, text=True, env=env)
    except subprocess.TimeoutExpired:
        log(f"helper timed out: {' '.join(args)}")
        return ""
    if check_rc and p.returncode != 0:
        log(f"helper failed ({p.returncode}): {' '.join(args)}: {p.stderr.strip()}")
    return p.stdout


def poll(predicate, timeout=10.0, interval=0.1):
    """Asks again until the answer is truthy or the time is up; returns the last answer."""
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value or time.monotonic() >= end:
            return value
        time.sleep(interval)


# --- images -------------------------------------------------------------------------------

class Image:
    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def rows(self):
        """The picture as rows from the top, each a list of (r, g, b) tuples."""
        return [[self.pixel(x, y) for x in range(self.width)] for y in range(self.height)]


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    # P6 header: magic, width, height, maxval, separated by blanks (comments not expected).
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    pos += 1
    if fields[0] != b"P6" or int(fields[3]) != 255:
        raise ValueError(f"{path}: not an 8-bit P6 picture")
    w, h = int(fields[1]), int(fields[2])
    return Image(w, h, data[pos:pos + w * h * 3])


def read_bmp(path):
    """A 24-bit or 1-bit uncompressed Windows bitmap, as RGB rows from the top."""
    with open(path, "rb") as f:
        data = f.read()
    off, = struct.unpack_from("<I", data, 10)
    hsize, w, h, _, bpp, comp = struct.unpack_from("<IiiHHI", data, 14)
    if comp != 0 or bpp not in (1, 24):
        raise ValueError(f"{path}: unexpected bitmap format {bpp} bpp, compression {comp}")
    bottom_up = h > 0
    h = abs(h)
    stride = ((w * bpp + 31) // 32) * 4
    palette = []
    if bpp == 1:
        for i in range(2):
            b, g, r = data[14 + hsize + 4 * i:14 + hsize + 4 * i + 3]
            palette.append(bytes((r, g, b)))
    out = bytearray()
    for y in range(h):
        row = data[off + (h - 1 - y if bottom_up else y) * stride:][:stride]
        if bpp == 24:
            for x in range(w):
                b, g, r = row[3 * x:3 * x + 3]
                out += bytes((r, g, b))
        else:
            for x in range(w):
                out += palette[(row[x >> 3] >> (7 - (x & 7))) & 1]
    return Image(w, h, bytes(out))


def screenshot(path):
    """The whole screen as it is shown (shapes applied, pointer not drawn)."""
    if os.path.exists(path):
        os.unlink(path)
    run(["import", "-window", "root", "-depth", "8", path], timeout=20, check_rc=True)
    return read_ppm(path) if os.path.exists(path) else None


def grab(rect, path):
    """A rectangle of the screen (x, y, width, height in root coordinates) as it is shown, as an
    Image whose pixel(0, 0) is the rectangle's top left; None when the grab failed."""
    x, y, w, h = rect
    if os.path.exists(path):
        os.unlink(path)
    run(["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "+repage", "-depth", "8", "ppm:" + path],
        timeout=20, check_rc=True)
    if not os.path.exists(path):
        return None
    img = read_ppm(path)
    # A rectangle reaching past the screen's edge comes back clipped: that is a caller's mistake.
    if (img.width, img.height) != (w, h):
        log(f"     the grab of {rect} came back {img.width}x{img.height}")
        return None
    return img


def grab_rows(rect, path):
    """A rectangle of the screen as RGB pixel rows: a list of rows from the top, each a list of
    (r, g, b) tuples from the left; None when the grab failed."""
    img = grab(rect, path)
    return img.rows() if img else None


def save_png(ppm_path):
    """Keeps a viewable copy of a screenshot beside it, for a person checking the test."""
    run(["convert", ppm_path, ppm_path[:-4] + ".png"], timeout=20)


# --- the window manager ---------------------------------------------------------------------

class WindowManager:
    """openbox on our private display, with the system's default settings: a person's own
    settings in their home folder must not change what the tests see."""

    def __init__(self, workdir):
        self.workdir = workdir
        self.proc = None
        self.log = None

    def start(self, timeout=10.0):
        """Starts the manager and waits until it has taken the screen; False when it never did."""
        config = os.path.join(self.workdir, "wm-config")
        os.makedirs(config, exist_ok=True)
        env = dict(os.environ, XDG_CONFIG_HOME=config)
        self.log = open(os.path.join(self.workdir, "openbox.log"), "w")
        self.proc = subprocess.Popen(["openbox", "--sm-disable"], env=env, stdout=self.log,
                                     stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        # A manager announces itself by naming, on the root window, a window of its own that names
        # itself back; until then it may not yet manage new windows.
        name = poll(lambda: self.proc.poll() is None and running_wm_name(), timeout)
        if not name:
            state = "running" if self.proc.poll() is None else f"ended with code {self.proc.returncode}"
            self.log.flush()
            with open(self.log.name, errors="replace") as f:
                log(f"     openbox did not take the screen within {timeout:.0f} s ({state}): {f.read()[-2000:]}")
            return False
        return True

    def alive(self):
        return self.proc is not None and self.proc.poll() is None

    def stop(self):
        if self.proc is not None:
            stop_process(self.proc, 5)
        if self.log is not None:
            self.log.close()
        # Until the root window's announcement is gone the next manager could be fooled by it.
        poll(lambda: not running_wm_name(), 5)


def stop_process(proc, timeout):
    """Asks a process to end, then kills it when it has not within Timeout seconds."""
    if proc.poll() is not None:
        return
    proc.terminate()
    try:
        proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait(timeout=timeout)


def xprop_window(wid, prop):
    """The window id that an X property of type WINDOW holds, or None."""
    out = run(["xprop"] + (["-root"] if wid is None else ["-id", str(wid)]) + [prop])
    m = re.search(r"window id # (0x[0-9a-fA-F]+)", out)
    return int(m.group(1), 16) if m else None


def running_wm_name():
    """The name of the window manager that holds the screen, or None when there is none."""
    check_wid = xprop_window(None, "_NET_SUPPORTING_WM_CHECK")
    if check_wid is None or xprop_window(check_wid, "_NET_SUPPORTING_WM_CHECK") != check_wid:
        return None
    m = re.search(r'= "(.*)"', run(["xprop", "-id", str(check_wid), "_NET_WM_NAME"]))
    return m.group(1) if m else None


def active_window():
    """The window the window manager calls active (None without one, or when none is)."""
    wid = xprop_window(None, "_NET_ACTIVE_WINDOW")
    return wid or None


def wm_state(wid):
    """The ICCCM state a window manager gave a window: 'Normal', 'Iconic', 'Withdrawn', or None
    when the window has none (unmanaged, or gone)."""
    m = re.search(r"window state: (\w+)", run(["xprop", "-id", str(wid), "WM_STATE"]))
    return m.group(1) if m else None


def net_wm_state(wid):
    """The window's extended state atoms, without their common prefix: {'FULLSCREEN', 'HIDDEN', ...}."""
    out = run(["xprop", "-id", str(wid), "_NET_WM_STATE"])
    if "=" not in out:
        return set()
    return {a.strip().replace("_NET_WM_STATE_", "") for a in out.split("=", 1)[1].split(",") if a.strip()}


# --- the program and its windows ----------------------------------------------------------

class Program:
    """One start of the menu, with its own runtime folder; always ended by close()."""

    def __init__(self, exe, disc, workdir):
        self.exe, self.disc, self.workdir = exe, disc, workdir
        self.proc = None
        self.started = None

    def start(self, exe=None, env_changes=None):
        """Env_changes: variables set for the program alone (None: removed)."""
        env = dict(os.environ)
        env.setdefault("TELVARO_AUDIO_SINK", "fakesink sync=true")
        for k, v in (env_changes or {}).items():
            if v is None:
                env.pop(k, None)
            else:
                env[k] = v
        self.log = open(os.path.join(self.workdir, f"program-{time.monotonic_ns()}.log"), "w")
        self.started = time.monotonic()
        # A disc's autorun starts the menu from the disc's own folder.
        self.proc = subprocess.Popen([exe or self.exe, self.disc], cwd=self.disc, env=env,
                                     stdout=self.log, stderr=subprocess.STDOUT)
        return self

    def alive(self):
        return self.proc is not None and self.proc.poll() is None

    def wait_exit(self, timeout):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def close(self):
        if self.proc is not None and self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            if self.wait_exit(5) is None:
                self.proc.kill()
                self.proc.wait(timeout=5)
        if self.proc is not None:
            self.log.close()

    def output(self, tail=3000):
        """What the program printed so far (its last part)."""
        self.log.flush()
        with open(self.log.name, errors="replace") as f:
            return f.read()[-tail:]

    def main_window(self, timeout=10.0):
        """The program's viewable window of the skin's size, polled for; None when it never comes
        (then what is known of the program is logged)."""
        scale = float(os.environ.get("QT_SCALE_FACTOR", "1"))  # the skin's size in device pixels
        width, height = skin_geometry()["WIDTH"], skin_geometry()["HEIGHT"]

        def find():
            for wid in windows_of(self.proc.pid):
                info = window_info(wid)
                if info and info["viewable"] and (info["w"], info["h"]) == (round(width * scale), round(height * scale)):
                    return wid
            return None
        wid = poll(find, timeout)
        if wid is None:
            state = "running" if self.alive() else f"ended with code {self.proc.returncode}"
            log(f"     no main window after {timeout:.0f} s: the program is {state}; its windows:",
                [window_info(w) for w in windows_of(self.proc.pid)])
            log("     its output: " + self.output())
            log("     the screen's windows:", list(mapped_top_windows().values()))
        return wid


def windows_of(pid):
    out = run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)])
    return [int(w) for w in out.split()]


def visible_windows(name=None):
    args = ["xdotool", "search", "--onlyvisible"]
    args += ["--name", name] if name else ["--name", ""]
    return [int(w) for w in run(args).split()]


def window_info(wid):
    out = run(["xwininfo", "-id", str(wid)])
    if not out:
        return None
    info = {}
    for line in out.splitlines():
        line = line.strip()
        for key, name in (("Absolute upper-left X:", "x"), ("Absolute upper-left Y:", "y"),
                          ("Width:", "w"), ("Height:", "h")):
            if line.startswith(key):
                info[name] = int(line[len(key):])
        if line.startswith("Map State:"):
            info["viewable"] = line.endswith("IsViewable")
        if line.startswith("xwininfo: Window id:"):
            info["name"] = line.split('"')[1] if '"' in line else ""
    return info if len(info) >= 6 else None


def window_shown(wid):
    """Whether the window exists and is viewable, asked once: a window may go between two asks."""
    info = window_info(wid)
    return bool(info and info["viewable"])


def _xprop_text(out):
    """The text of an xprop string line, its escapes (\\ooo bytes, \\", \\\\) undone and read as UTF-8."""
    if '"' not in out:
        return None
    quoted = out[out.index('"') + 1:out.rindex('"')]
    raw = bytearray()
    i = 0
    data = quoted.encode("utf-8")
    while i < len(data):
        if data[i:i + 1] == b"\\" and i + 1 < len(data):
            octal = data[i + 1:i + 4]
            if len(octal) == 3 and all(48 <= d <= 55 for d in octal):
                raw.append(int(octal, 8))
                i += 4
                continue
            raw += data[i + 1:i + 2]
            i += 2
            continue
        raw += data[i:i + 1]
        i += 1
    return raw.decode("utf-8", errors="replace")


def window_title(wid):
    """A window's title as the desktop shows it: its UTF-8 _NET_WM_NAME, else its WM_NAME."""
    for prop in ("_NET_WM_NAME", "WM_NAME"):
        text = _xprop_text(run(["xprop", "-id", str(wid), prop]))
        if text is not None:
            return text
    return None


def wait_for_window(title, before=(), timeout=10.0):
    """Waits for a viewable top-level window that is not among `before` (ids seen earlier, such
    as visible_windows() taken before the action) and whose title is exactly `title`, or matches
    all of it when `title` is a compiled pattern (Qt adds " — " and the program's name to a
    title that does not already end with it); returns (window id, its info with the title as
    "name" and x, y, w, h of the window itself in root coordinates, frame not counted), or
    (None, None) when none came in time."""
    def wanted(text):
        if text is None:
            return False
        return bool(title.fullmatch(text)) if isinstance(title, re.Pattern) else text == title

    def find():
        for wid in visible_windows():
            if wid in before:
                continue
            text = window_title(wid)
            if not wanted(text):
                continue
            info = window_info(wid)
            if info and info["viewable"]:
                info["name"] = text
                return wid, info
        return None
    found = poll(find, timeout)
    if not found:
        log(f"     no new window titled {getattr(title, 'pattern', title)!r} after {timeout:.0f} s; the screen's windows:",
            list(mapped_top_windows().values()))
        return None, None
    return found


def mapped_top_windows():
    """Every viewable child of the root with its geometry: tool tips and dialogs show up here."""
    out = run(["xwininfo", "-root", "-children"])
    result = {}
    for line in out.splitlines():
        line = line.strip()
        if not line.startswith("0x"):
            continue
        wid = int(line.split()[0], 16)
        info = window_info(wid)
        if info and info["viewable"]:
            result[wid] = info
    return result


def pointer_at(x, y):
    run(["xdotool", "mousemove", str(x), str(y)], check_rc=True)


def window_under_pointer():
    """The root's child under the pointer: under a window manager that is the frame it put
    around a window, not the program's own window (see top_level)."""
    out = run(["xdotool", "getmouselocation", "--shell"])
    for line in out.splitlines():
        if line.startswith("WINDOW="):
            return int(line[7:])
    return None


def top_level(wid):
    """The child of the root that holds a window: its window manager's frame, or the window
    itself when no manager reparented it; None when the window is gone."""
    for _ in range(16):
        out = run(["xwininfo", "-tree", "-id", str(wid)])
        root = re.search(r"Root window id: (0x[0-9a-f]+)", out)
        parent = re.search(r"Parent window id: (0x[0-9a-f]+)", out)
        if not root or not parent:
            return None
        if parent.group(1) == root.group(1):
            return wid
        wid = int(parent.group(1), 16)
    return None


def pointer_over(wid):
    """Whether the pointer is over the window (or the frame around it, which takes its shape)."""
    under = window_under_pointer()
    return under is not None and under == top_level(wid)


def button(action, which=1):
    run(["xdotool", action, str(which)], check_rc=True)


def key(wid, *keys):
    # Keys reach a window only once it has the input focus.
    run(["xdotool", "windowfocus", "--sync", str(wid)], check_rc=True)
    run(["xdotool", "key"] + list(keys), check_rc=True)


def keys_to_focused(*keys):
    """Types keys (xdotool names: 'Escape', 'Right', 'ctrl+q') into whatever window has the
    input focus now, as a person at the keyboard would; nothing moves the focus first."""
    run(["xdotool", "key", "--delay", "30"] + list(keys), check_rc=True)


# --- comparisons ----------------------------------------------------------------------------

def centre(box, origin=(0, 0)):
    """The middle of a box of window pixels; on the screen when the window lies at Origin."""
    return origin[0] + (box[0] + box[2]) // 2, origin[1] + (box[1] + box[3]) // 2


def box_pixels(box):
    l, t, r, b = box
    return [(x, y) for y in range(t, b) for x in range(l, r)]


def share_equal(shot, origin, ref, points):
    """The share of the window points whose screen pixel equals the reference bitmap's."""
    ox, oy = origin
    same = sum(1 for x, y in points if shot.pixel(ox + x, oy + y) == ref.pixel(x, y))
    return same / max(1, len(points))


def differing_from_both(ref_a, ref_b, points):
    """Points where two bitmaps differ: only there can a screenshot tell them apart."""
    return [(x, y) for x, y in points if ref_a.pixel(x, y) != ref_b.pixel(x, y)]


def find_skin(c, shot):
    """Where a compositor placed the window, found by its skin on the screen: the origin whose
    bare-skin pixels (inside the mask, away from the tree and the regions) match, or None."""
    skin = skin_geometry()
    width, height = skin["WIDTH"], skin["HEIGHT"]
    covered = [skin["TREE"], (150, 236, 300, 256)] + list(BOXES.values())

    def bare(x, y):
        return c.inside[y][x] and not any(l <= x < r and t <= y < b for l, t, r, b in covered)
    points = [(x, y) for y in range(0, height, 7) for x in range(0, width, 7) if bare(x, y)]
    # A run of 24 bare pixels on one row, looked for as bytes in the screenshot.
    px, py = next((x, y) for y in range(height) for x in range(width - 24) if all(bare(x + i, y) for i in range(24)))
    probe = c.normal.rgb[(py * width + px) * 3:(py * width + px + 24) * 3]
    at = shot.rgb.find(probe)
    while at >= 0:
        y, x = divmod(at // 3, shot.width)
        origin = (x - px, y - py)
        if at % 3 == 0 and 0 <= origin[0] <= shot.width - width and 0 <= origin[1] <= shot.height - height and \
                share_equal(shot, origin, c.normal, points) >= 0.99:
            return origin
        at = shot.rgb.find(probe, at + 1)
    return None


class Case:
    """Sets up one test script: paths from the command line, a scratch folder, and the skin."""

    def __init__(self, wm=True):
        if len(sys.argv) < 4:
            sys.exit("usage: CASE.py TELVARO_EXE TELVARO_CHECK_EXE SOURCE_DIR")
        self.exe, self.checker, self.src = (os.path.abspath(a) for a in sys.argv[1:4])
        self.disc = os.path.join(self.src, "sample-disc")
        BOXES.update(map_boxes(self.checker, self.disc))
        self.work = tempfile.mkdtemp(prefix="telvaro-e2e-")
        self.keep = os.environ.get("TELVARO_E2E_KEEP")  # a folder to keep screenshots in
        self.normal = read_bmp(os.path.join(self.disc, "GRES", "menul.bmp"))
        self.lit = read_bmp(os.path.join(self.disc, "GRES", "menuh.bmp"))
        mask = read_bmp(os.path.join(self.src, "resources", "mask.bmp"))
        outside = mask.pixel(0, 0)
        self.inside = [[mask.pixel(x, y) != outside for x in range(mask.width)] for y in range(mask.height)]
        self.programs = []
        self.wm = None
        if wm:
            self.wm = WindowManager(self.work)
            if not self.wm.start():
                self.cleanup()
                sys.exit("e2e: the window manager did not start")
        elif running_wm_name():
            self.cleanup()
            sys.exit(f"e2e: this case needs a display without a window manager, and {running_wm_name()} holds it")
        # The pointer starts away from where the window will be.
        pointer_at(5, 5)
        self.background = screenshot(self.path("background.ppm"))

    def path(self, name):
        return os.path.join(self.work, name)

    def program(self):
        p = Program(self.exe, self.disc, self.work)
        self.programs.append(p)
        return p

    def shot(self, name):
        path = self.path(name + ".ppm")
        img = screenshot(path)
        if self.keep:
            os.makedirs(self.keep, exist_ok=True)
            dest = os.path.join(self.keep, name + ".ppm")
            shutil.copy(path, dest)
            save_png(dest)
        return img

    def lit_share(self, shot, origin, box):
        """How much of a box of the window at Origin shows the highlighted bitmap, counted where
        the two bitmaps differ."""
        points = differing_from_both(self.normal, self.lit, box_pixels(box))
        return share_equal(shot, origin, self.lit, points)

    def open_viewer(self, disc):
        """Starts the menu on Disc and presses Enter on its first node, a picture item: the
        program, the menu's window, the viewer's window and its geometry; a window is None after
        saying what failed."""
        prog = Program(self.exe, disc, self.work)
        self.programs.append(prog)
        prog.start()
        wid = prog.main_window()
        if not check(wid is not None, "the main window appears"):
            return prog, None, None, None
        check(bool(poll(lambda: active_window() == wid, 5)), "the menu has the focus")
        before = visible_windows()
        keys_to_focused("Return")
        visor, info = wait_for_window(re.compile("Visor.*"), before, 10)
        if not check(visor is not None, "Enter on a picture item opens the viewer"):
            log("     its output: " + prog.output())
            return prog, wid, None, None
        check(bool(poll(lambda: active_window() == visor, 5)), "the viewer has the focus")
        return prog, wid, visor, info

    def cleanup(self):
        for p in self.programs:
            p.close()
        if self.wm is not None:
            self.wm.stop()
        shutil.rmtree(self.work, ignore_errors=True)


def run_case(body, wm=True):
    """Runs one case's body with a fresh Case, always cleaning up, then reports. The case runs
    under openbox unless wm is False: then no window manager runs on the display."""
    c = Case(wm)
    try:
        body(c)
    finally:
        c.cleanup()
    finish()
