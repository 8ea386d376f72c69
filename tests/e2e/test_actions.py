"""Using the menu from outside: the tree's keys and wheel, the arrow buttons, a topic button,
the run button on a folder, the credits and the exit button."""

import re
import time

import e2elib as e
from e2elib import check


def click(c, box):
    e.pointer_at(*e.centre(box, (c.ox, c.oy)))
    e.button("click")
    # Off every region again, so that no hover light is mistaken for a change.
    e.pointer_at(c.ox + 320, c.oy + 130)


def lit_share(c, shot, box):
    return c.lit_share(shot, (c.ox, c.oy), box)


def tree_pixels(c, shot):
    return [shot.pixel(c.ox + x, c.oy + y) for x, y in e.box_pixels(e.TREE)]


def tree_changed(before, after):
    return sum(1 for a, b in zip(before, after) if a != b) / len(before)


def selection_rows(c, shot):
    """The window rows of the selected node's bar: the tree's right part filled with the
    selection colour, which the bare panel never has."""
    colour = c.selection_colour
    xs = [e.TREE[2] - 12, e.TREE[2] - 30, e.TREE[2] - 50]
    return [y for y in range(e.TREE[1], e.TREE[3]) if all(shot.pixel(c.ox + x, c.oy + y) == colour for x in xs)]


def settle(c, name, predicate, timeout=5.0):
    """Takes screenshots until one satisfies the predicate; returns the last one."""
    shot = None

    def attempt():
        nonlocal shot
        shot = c.shot(name)
        return predicate(shot)
    e.poll(attempt, timeout, 0.2)
    return shot


def run(c):
    prog = c.program().start()
    wid = prog.main_window()
    if not check(wid is not None, "the main window appears"):
        return
    info = e.window_info(wid)
    c.ox, c.oy = info["x"], info["y"]
    # The window manager gives a new window the focus: the selection shows in its active colour,
    # and the keys below go to the tree without anything moving the focus first.
    check(bool(e.poll(lambda: e.active_window() == wid, 5)), "the window manager gives the new window the focus")
    e.pointer_at(c.ox + 320, c.oy + 130)
    time.sleep(1.0)
    start = c.shot("start")
    # The first node is selected at the start: its bar's colour is the selection colour.
    c.selection_colour = start.pixel(c.ox + e.TREE[2] - 12, c.oy + e.TREE[1] + 4)
    bar = selection_rows(c, start)
    check(bool(bar) and bar[0] <= e.TREE[1] + 8, f"the first node is selected at the start (bar seen at row {bar[:1]})")
    if not bar:
        return

    def bar_top(shot):
        rows = selection_rows(c, shot)
        return rows[0] if rows else None

    # The first move measures a node's height; every other one must move by exactly that.
    steps = [
        ("the Down key", lambda: e.keys_to_focused("Down"), +1),
        ("a wheel turn towards the user", lambda: (e.pointer_at(c.ox + 150, c.oy + 150), e.button("click", 5)), +1),
        ("the LDOWN arrow button", lambda: click(c, e.BOXES["LDOWN"]), +1),
        ("the LUP arrow button", lambda: click(c, e.BOXES["LUP"]), -1),
        ("a wheel turn away from the user", lambda: (e.pointer_at(c.ox + 150, c.oy + 150), e.button("click", 4)), -1),
        ("the Up key", lambda: e.keys_to_focused("Up"), -1),
    ]
    top = bar[0]
    height = None
    for name, act, direction in steps:
        act()
        if height is None:
            shot = settle(c, "step-first", lambda s: bar_top(s) not in (None, top))
            got = bar_top(shot)
            height = got - top if got is not None else 0
            check(14 <= height <= 24, f"{name} moves the selection one node down ({height} pixels)")
        else:
            want = top + direction * height
            shot = settle(c, "step", lambda s: bar_top(s) == want)
            got = bar_top(shot)
            check(got == want, f"{name} moves the selection one node {'down' if direction > 0 else 'up'} "
                  f"(bar at row {got}, expected {want})")
        if got is None or not height:
            return
        top = got
    check(top == bar[0], "after as many moves up as down the first node is selected again")
    e.pointer_at(c.ox + 320, c.oy + 130)

    # A topic button fills the tree with its own topic and lights it; the old one goes dark.
    before = tree_pixels(c, c.shot("before-topic"))
    click(c, e.BOXES["IMAGEN"])
    shot = settle(c, "topic-imagen", lambda s: tree_changed(before, tree_pixels(c, s)) > 0.03 and lit_share(c, s, e.BOXES["IMAGEN"]) > 0.95)
    check(tree_changed(before, tree_pixels(c, shot)) > 0.03, "clicking the Imagen button changes the tree")
    check(lit_share(c, shot, e.BOXES["IMAGEN"]) > 0.95, "the Imagen button stays lit")
    check(lit_share(c, shot, e.BOXES["VIDEO"]) < 0.05, "the Video button goes dark")
    check(bar_top(shot) == bar[0], "the new topic's first node is selected")

    # This topic has more nodes than the tree shows: after a quiet spell the down arrow blinks,
    # and the up arrow, with nothing hidden above, stays dark.
    seen_up = []
    def down_lit():
        s = c.shot("blink")
        seen_up.append(lit_share(c, s, e.BOXES["LUP"]))
        return lit_share(c, s, e.BOXES["LDOWN"]) > 0.95
    check(bool(e.poll(down_lit, 12, 0.15)), "the down arrow blinks while nodes are hidden below")
    check(max(seen_up) < 0.05, "the up arrow stays dark meanwhile")

    # Back to the first topic: its first node, a folder, is selected again; the run button
    # folds it, with nothing launched and the window kept.
    click(c, e.BOXES["VIDEO"])
    video = settle(c, "topic-video", lambda s: tree_changed(before, tree_pixels(c, s)) < 0.01)
    check(tree_changed(before, tree_pixels(c, video)) < 0.01, "the Video button brings back the first topic's tree as it was")
    click(c, e.BOXES["EJECUTAR"])
    folded = settle(c, "folded", lambda s: tree_changed(tree_pixels(c, video), tree_pixels(c, s)) > 0.03)
    check(tree_changed(tree_pixels(c, video), tree_pixels(c, folded)) > 0.03, "the run button on a folder node folds it")
    check(prog.alive() and e.window_shown(wid), "the window stays on the screen")
    click(c, e.BOXES["EJECUTAR"])
    unfolded = settle(c, "unfolded", lambda s: tree_changed(tree_pixels(c, video), tree_pixels(c, s)) < 0.01)
    check(tree_changed(tree_pixels(c, video), tree_pixels(c, unfolded)) < 0.01, "and a second press unfolds it again")

    # The credits button opens the About box, which takes the focus; Escape closes it.
    before = e.visible_windows()
    click(c, e.BOXES["CREDITOS"])
    about, _ = e.wait_for_window("Acerca de Telvaro", before, 5)
    check(about is not None, "the credits button opens a window titled \"Acerca de Telvaro\"")
    if about:
        c.shot("about")
        check(bool(e.poll(lambda: e.active_window() == about, 5)), "the About box is the active window")

        def frame_centre():
            info = e.window_info(about)
            m = re.search(r"= (\d+), (\d+), (\d+), (\d+)", e.run(["xprop", "-id", str(about), "_NET_FRAME_EXTENTS"]))
            if not info or not m:
                return None
            left, right, top, bottom = map(int, m.groups())
            return (info["x"] - left + (left + info["w"] + right) / 2, info["y"] - top + (top + info["h"] + bottom) / 2)
        # Its first showing, framed by the window manager, is centred on the screen as later ones are.
        centred = lambda: (lambda c: c and abs(c[0] - e.SCREEN[0] / 2) <= 1 and abs(c[1] - e.SCREEN[1] / 2) <= 1)(frame_centre())
        check(bool(e.poll(centred, 3)), f"the About box's frame is centred at its first showing ({frame_centre()})")
        e.keys_to_focused("Escape")
        check(bool(e.poll(lambda: not e.visible_windows("^Acerca de Telvaro$"), 5)), "Escape closes the About box")
        check(bool(e.poll(lambda: e.active_window() == wid, 5)), "the menu is the active window again")
    check(prog.alive(), "the menu keeps running after the About box")

    # The exit button ends the program, with exit code 0, once its sound has played.
    click(c, e.BOXES["SALIR"])
    rc = prog.wait_exit(15)
    if not check(rc == 0, f"the exit button ends the program with exit code 0 (got {rc})"):
        e.log("     its output: " + prog.output())
    check(bool(e.poll(lambda: not e.window_shown(wid), 5)), "its window is gone")


if __name__ == "__main__":
    e.run_case(run)
