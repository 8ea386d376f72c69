"""Dragging the menu on a display with no window manager: nothing there moves windows for a
program, so the menu follows the pointer itself. The one case run without a manager."""

import e2elib as e
from e2elib import check
from test_window import check_drag


def run(c):
    prog = c.program().start()
    wid = prog.main_window()
    if not check(wid is not None, "the main window appears within 10 s"):
        return
    check(e.wm_state(wid) is None, "no window manager has taken the window in hand")
    info = e.window_info(wid)
    check((info["x"], info["y"], info["w"], info["h"]) == (*e.PLACE, e.WIDTH, e.HEIGHT),
          f"the window lies at {e.PLACE[0]},{e.PLACE[1]} with size {e.WIDTH}x{e.HEIGHT} "
          f"(got {info['x']},{info['y']} {info['w']}x{info['h']})")
    check_drag(c, prog, wid, (info["x"], info["y"]))


if __name__ == "__main__":
    e.run_case(run, wm=False)
