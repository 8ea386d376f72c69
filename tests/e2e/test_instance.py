"""One running menu per program file: a second start hands over to the first and leaves no
window, bringing the first to the front (restored, when it was minimised); another copy of the
program runs on its own; a killed instance does not block the next."""

import os
import shutil
import signal
import time

import e2elib as e
from e2elib import check


def skin_windows():
    return [w for w, i in e.mapped_top_windows().items() if (i["w"], i["h"]) == (e.WIDTH, e.HEIGHT)]


def centre(box):
    return e.centre(box, e.PLACE)


def second_start(c, exe=None):
    """Starts the program again and watches it: (exit code or None, seconds, windows it showed)."""
    p = c.program().start(exe)
    shown = set()
    end = time.monotonic() + 15
    while p.alive() and time.monotonic() < end:
        shown.update(e.windows_of(p.proc.pid))
        time.sleep(0.02)
    rc = p.wait_exit(0.5)
    return p, rc, time.monotonic() - p.started, shown


def run(c):
    first = c.program().start()
    wid = first.main_window()
    if not check(wid is not None, "the first start shows its window"):
        return
    # The first instance shows a topic of its own, so that it can be told apart on the screen.
    e.pointer_at(*centre(e.BOXES["IMAGEN"]))
    e.button("click")
    e.pointer_at(5, 5)
    check(bool(e.poll(lambda: c.lit_share(c.shot("first-imagen"), e.PLACE, e.BOXES["IMAGEN"]) > 0.95, 5, 0.2)),
          "the first instance shows the Imagen topic")

    p, rc, secs, shown = second_start(c)
    e.log(f"     a second start of the same program file ended after {secs:.2f} s")
    check(rc == 0, f"a second start of the same program file exits with code 0 (got {rc})")
    check(secs < 10, f"it ends promptly ({secs:.2f} s; about a second expected)")
    check(not shown, f"the second start shows no window of its own ({len(shown)} seen)")
    check(first.alive(), "the first instance is still running")
    check(len(skin_windows()) == 1, f"one menu window is on the screen ({len(skin_windows())})")

    # A copy of the program in another place is another program: it runs beside the first and
    # covers it, since both centre themselves.
    copy = os.path.join(c.work, "copia", "telvaro")
    os.makedirs(os.path.dirname(copy))
    shutil.copy2(c.exe, copy)
    other = c.program().start(copy)
    check(other.main_window() is not None, "a copy of the program at another path starts a window of its own")
    check(len(skin_windows()) == 2, f"then two menu windows are on the screen ({len(skin_windows())})")
    check(bool(e.poll(lambda: c.lit_share(c.shot("copy-on-top"), e.PLACE, e.BOXES["IMAGEN"]) < 0.05, 5, 0.2)),
          "the copy's window, on its first topic, lies over the first instance")

    # Starting the first program file again brings its instance to the front.
    p, rc, secs, shown = second_start(c)
    check(rc == 0 and not shown, f"another start of the first program file exits 0 without a window (code {rc})")
    raised = e.poll(lambda: c.lit_share(c.shot("first-raised"), e.PLACE, e.BOXES["IMAGEN"]) > 0.95, 5, 0.2)
    check(bool(raised), "and the first instance's window comes to the front, its topic kept")
    check(bool(e.poll(lambda: e.active_window() == wid, 5)), "and it becomes the active window")

    # The minimise button really minimises: the window manager iconifies the window and takes it
    # off the screen, and the copy's window shows where it was. A start of the first program file
    # then restores it, in its place and on top.
    e.pointer_at(*centre(e.BOXES["MINIMIZAR"]))
    e.button("click")
    e.pointer_at(5, 5)
    iconic = e.poll(lambda: e.wm_state(wid) == "Iconic" and not (e.window_info(wid) or {}).get("viewable"), 5)
    check(bool(iconic), f"the minimise button iconifies the window (state {e.wm_state(wid)}, "
          f"{'viewable' if (e.window_info(wid) or {}).get('viewable') else 'not viewable'})")
    check("HIDDEN" in e.net_wm_state(wid), f"the window manager calls it hidden ({sorted(e.net_wm_state(wid))})")
    check(first.alive(), "the minimised instance keeps running")
    check(bool(e.poll(lambda: c.lit_share(c.shot("first-minimised"), e.PLACE, e.BOXES["IMAGEN"]) < 0.05, 5, 0.2)),
          "the copy's window shows where the minimised one was")
    p, rc, secs, shown = second_start(c)
    check(rc == 0 and not shown, f"a start while it is minimised exits 0 without a window (code {rc})")
    restored = e.poll(lambda: e.wm_state(wid) == "Normal" and (e.window_info(wid) or {}).get("viewable"), 5)
    check(bool(restored), f"and the minimised window is restored (state {e.wm_state(wid)})")
    info = e.window_info(wid) or {}
    check((info.get("x"), info.get("y"), info.get("w"), info.get("h")) == (*e.PLACE, e.WIDTH, e.HEIGHT),
          f"in its old place and size ({info.get('x')},{info.get('y')} {info.get('w')}x{info.get('h')})")
    on_top = e.poll(lambda: c.lit_share(c.shot("first-restored"), e.PLACE, e.BOXES["IMAGEN"]) > 0.95, 5, 0.2)
    check(bool(on_top), "over the copy's window, its topic kept")
    check(bool(e.poll(lambda: e.active_window() == wid, 5)), "and it becomes the active window")
    other.close()

    # A killed instance leaves nothing that blocks the next start.
    first.proc.send_signal(signal.SIGKILL)
    first.wait_exit(5)
    check(e.poll(lambda: not skin_windows(), 5), "the killed instance's window is gone")
    again = c.program().start()
    check(again.main_window() is not None, "after a killed instance the next start shows its window")
    again.close()

    # Two starts at the same moment end with one instance.
    a, b = c.program().start(), c.program().start()
    e.poll(lambda: not (a.alive() and b.alive()), 10)
    time.sleep(1.0)
    alive = [p for p in (a, b) if p.alive()]
    ended = [p for p in (a, b) if not p.alive()]
    check(len(alive) == 1, f"of two simultaneous starts one keeps running ({len(alive)} running)")
    check(all(p.proc.returncode == 0 for p in ended), "the other exits with code 0")
    check(e.poll(lambda: len(skin_windows()) == 1, 5), f"one menu window is on the screen ({len(skin_windows())})")


if __name__ == "__main__":
    e.run_case(run)
