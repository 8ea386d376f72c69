"""A large picture builds up on the screen as it decodes: after Enter on its item the viewer's
window is on the screen before any row of the picture, then the picture comes in bands, top
first, with the status line counting, until it is whole.

The decode is made slow whatever the machine: the menu is stopped (SIGSTOP) while each
screenshot is taken and let run for a millisecond in between, so it gets a small share of a core
and a frozen, consistent screen is looked at each time. The window manager is never stopped: it
may hold the X server grabbed for a moment, and a screenshot would then wait for it forever. A viewer that paints nothing until the picture is whole
shows no band on any of these screenshots.

Whether the window is painted before the decode starts is a race with the window manager that
stopping and starting the menu cannot set up the same way each time: that order is the viewer's
own wait for its window to be exposed, which this case does not single out."""

import os
import signal
import time

import e2elib as e
from e2elib import check, testdisc

SCREEN = (1024, 768)
BOX = (13, 13, SCREEN[0] - 26, SCREEN[1] - 49)  # left, top, width, height of the picture area
# A 22-megapixel photo, decoded at half size (8000 x 700): at actual size every row shows in the
# picture area, and it is light everywhere, so any decoded row differs from the black to come.
BIG = ("-size", "16000x1400", "gradient:#f0a040-#60c0f0", "-quality", "90")
SHOWN_HEIGHT = 700
STATUS = (170, 740, 950, 757)  # the status line's text: left, top, right, bottom
RUN_SLICE = 0.001  # seconds the menu runs between two screenshots
# Seconds it stands still besides: progress is reported twice a second by the clock, so the
# decode must take seconds for a few reports to come.
PAUSE = 0.15


def lit_rows(shot):
    """How many of the picture's sampled rows show it right across the picture area, of how many."""
    top = BOX[1] + (BOX[3] - SHOWN_HEIGHT) // 2
    rows = range(top + 2, top + SHOWN_HEIGHT - 2, 8)
    lit = sum(1 for y in rows if min(max(shot.pixel(x, y)) for x in range(BOX[0] + 4, BOX[0] + BOX[2], 97)) > 40)
    return lit, len(rows)


def status_text(shot):
    """The status line's pixels, to tell one text from another."""
    return hash(tuple(shot.pixel(x, y) for y in range(STATUS[1], STATUS[3]) for x in range(STATUS[0], STATUS[2], 2)))


def run(c):
    d = testdisc.Disc(c.path("disco"), c.disc)
    d.topics([("Imagen", "IMAGEN.INI", [("Foto", ".\\FOTOS\\*.jpg")])])
    d.picture("FOTOS/grande.jpg", BIG)
    prog = c.program()
    prog.disc = d.root
    prog.start()
    wid = prog.main_window()
    if not check(wid is not None, "the main window appears"):
        return
    check(bool(e.poll(lambda: e.active_window() == wid, 5)), "the menu has the focus")
    menu_shot = c.shot("menu")
    m = e.window_info(wid)
    skin = [(x, y) for y in range(m["y"], m["y"] + m["h"], 7) for x in range(m["x"], m["x"] + m["w"], 7)
            if max(menu_shot.pixel(x, y)) > 60]

    # For each screenshot: whether the viewer covers the menu, how much of the picture shows, and
    # the status line.
    frames = []
    pid = prog.proc.pid
    e.keys_to_focused("Return")
    end = time.monotonic() + 120
    try:
        while time.monotonic() < end:
            time.sleep(RUN_SLICE)
            os.kill(pid, signal.SIGSTOP)
            shot = e.screenshot(c.path("frame.ppm"))
            time.sleep(PAUSE)
            os.kill(pid, signal.SIGCONT)
            if shot is None:
                continue
            covered = sum(1 for p in skin if shot.pixel(*p) != menu_shot.pixel(*p)) > 0.9 * len(skin)
            lit, total = lit_rows(shot)
            frames.append((covered, lit, total, status_text(shot)))
            if lit == total:
                break
    finally:
        os.kill(pid, signal.SIGCONT)
    e.log(f"     {len(frames)} screenshots; rows shown: {[f[1] for f in frames]}")
    check(bool(frames) and frames[-1][1] == frames[-1][2], "the picture ends up whole on the screen")
    first = next((i for i, f in enumerate(frames) if f[1] > 0), len(frames))
    check(any(f[0] for f in frames[:first]), "the viewer's window is on the screen before the picture's first row")
    partial = [f[1] for f in frames if 0 < f[1] < f[2]]
    check(len(partial) >= 2, f"the picture comes in bands ({len(partial)} screenshots show part of it)")
    check(partial == sorted(partial), "the bands come top first and stay")
    texts = {f[3] for f in frames[:-1] if f[0]}
    check(len(texts) >= 3, f"the status line counts on while the picture decodes ({len(texts)} texts)")


if __name__ == "__main__":
    e.run_case(run)
