"""The main window as a person sees it: its place, its outline, the tree over the skin, the lit
button under the pointer, the exit hint, and dragging it by its handle."""

import re
import time

import e2elib as e
from e2elib import check

BARE_SKIN = (320, 130)  # a point of the skin outside every region, the tree and the label


def run(c):
    check(c.inside[BARE_SKIN[1]][BARE_SKIN[0]], "the bare-skin probe point lies inside the mask")
    prog = c.program().start()
    wid = prog.main_window()
    if not check(wid is not None, "the main window appears within 10 s"):
        return
    info = e.window_info(wid)
    check((info["x"], info["y"], info["w"], info["h"]) == (*e.PLACE, e.WIDTH, e.HEIGHT),
          f"the window lies at {e.PLACE[0]},{e.PLACE[1]} with size {e.WIDTH}x{e.HEIGHT} "
          f"(got {info['x']},{info['y']} {info['w']}x{info['h']})")
    origin = (info["x"], info["y"])
    c.wid = wid
    check(e.wm_state(wid) == "Normal", f"the window manager shows the window in its normal state ({e.wm_state(wid)})")
    check(bool(e.poll(lambda: e.active_window() == wid, 5)),
          f"the window manager gives the new window the focus (active: {e.active_window()}, window {wid})")

    # Give the first paint time to land (the bare skin shows at its probe point), then look.
    bx, by = BARE_SKIN
    e.poll(lambda: c.shot("window").pixel(origin[0] + bx, origin[1] + by) == c.normal.pixel(bx, by), 10, 0.2)
    if not check(prog.alive(), "the program is still running once its window is up"):
        e.log(f"     it ended with code {prog.proc.returncode}; its output: {prog.output()}")
        return
    shot = c.shot("window")
    check_grab(c, shot, info)
    check_shape(c, shot, origin)
    check_tree(c, shot, origin)
    check_hover(c, origin)
    check_hint(c, origin)
    check_drag(c, prog, wid, origin)


def check_grab(c, shot, info):
    """A grab of just the window's rectangle (the helper later cases read the screen with) shows
    the very pixels the whole-screen shot has there, row by row from the window's top left."""
    rect = (info["x"], info["y"], info["w"], info["h"])
    rows = e.grab_rows(rect, c.path("window-rect.ppm"))
    if not check(rows is not None and len(rows) == rect[3] and all(len(r) == rect[2] for r in rows),
                 f"a grab of the window's rectangle comes back as {rect[3]} rows of {rect[2]} pixels"):
        return
    wrong = sum(1 for y, row in enumerate(rows) for x, p in enumerate(row) if p != shot.pixel(rect[0] + x, rect[1] + y))
    check(wrong == 0, f"it shows what the whole-screen shot shows there ({wrong} pixels differ)")


def check_shape(c, shot, origin):
    ox, oy = origin
    outside_seen = outside_same = 0
    inside_seen = inside_skin = 0
    covered = [e.TREE, (150, 236, 300, 256)] + list(e.BOXES.values())  # drawn over or lit: not the bare skin
    for y in range(e.HEIGHT):
        for x in range(e.WIDTH):
            sx, sy = ox + x, oy + y
            if not c.inside[y][x]:
                outside_seen += 1
                outside_same += shot.pixel(sx, sy) == c.background.pixel(sx, sy)
            elif not any(l <= x < r and t <= y < b for l, t, r, b in covered):
                inside_seen += 1
                inside_skin += shot.pixel(sx, sy) == c.normal.pixel(x, y)
    check(outside_seen > 0 and outside_same == outside_seen,
          f"outside the mask's outline the screen shows what lies behind the window ({outside_same}/{outside_seen} pixels)")
    check(inside_seen > 0 and inside_skin >= 0.99 * inside_seen,
          f"inside the outline the screen shows the normal skin ({inside_skin}/{inside_seen} pixels)")
    # The X server's own idea of the shape: its extents are the mask's, and the pointer finds the
    # window inside the outline only.
    xs = [x for y in range(e.HEIGHT) for x in range(e.WIDTH) if c.inside[y][x]]
    ys = [y for y in range(e.HEIGHT) if any(c.inside[y])]
    want = f"{max(xs) - min(xs) + 1}x{max(ys) - min(ys) + 1}+{min(xs)}+{min(ys)}"
    shape = e.run(["xwininfo", "-shape", "-id", str(c.wid)])
    got = re.search(r"Window shape extents:\s*(\S+)", shape)
    check(got is not None and got.group(1) == want,
          f"the window's X shape spans the mask's outline ({got.group(1) if got else 'no shape'}, mask {want})")
    probes = [(2, 2), (e.WIDTH - 3, e.HEIGHT - 3), (10, 380), (420, 370)]
    probes = [p for p in probes if not c.inside[p[1]][p[0]]] + [BARE_SKIN, (200, 15), (100, 150)]
    for x, y in probes:
        e.pointer_at(ox + x, oy + y)
        over = e.pointer_over(c.wid)
        if c.inside[y][x]:
            check(over, f"the pointer at window point {x},{y}, inside the outline, is over the window")
        else:
            check(not over, f"the pointer at window point {x},{y}, outside the outline, is not over the window")
    e.pointer_at(5, 5)


def check_tree(c, shot, origin):
    ox, oy = origin
    tree = e.box_pixels(e.TREE)
    differ = 1 - e.share_equal(shot, origin, c.normal, tree)
    check(differ > 0.03, f"the first topic's nodes are drawn over the skin ({differ:.1%} of the tree area differs from it)")
    key = sum(1 for x, y in tree if shot.pixel(ox + x, oy + y) == e.TREE_KEY)
    check(key == 0, f"the tree's olive key colour never reaches the screen ({key} pixels of it)")
    # Below the last node the tree is see-through: the skin's panel shows there unchanged.
    bottom = e.box_pixels((e.TREE[0], e.TREE[3] - 30, e.TREE[2], e.TREE[3]))
    same = e.share_equal(shot, origin, c.normal, bottom)
    check(same > 0.98, f"under the last node the tree shows the skin's own panel ({same:.1%} of its bottom rows)")


def check_hover(c, origin):
    ox, oy = origin
    box = e.BOXES["MUSICA"]
    check(c.lit_share(c.shot("before-hover"), origin, box) < 0.05, "the Música button is dark before the pointer comes")
    e.pointer_at(*e.centre(box, origin))
    share = e.poll(lambda: (lambda s: s if s > 0.95 else 0)(c.lit_share(c.shot("hover-musica"), origin, box)), 5, 0.2)
    check(share > 0.95, f"hovering the Música button lights its box from the highlighted skin ({share:.1%})")
    e.pointer_at(ox + BARE_SKIN[0], oy + BARE_SKIN[1])
    dark = e.poll(lambda: c.lit_share(c.shot("hover-left"), origin, box) < 0.05, 5, 0.2)
    check(dark, "the Música button goes dark again when the pointer leaves it")
    # The current topic stays lit all along.
    check(c.lit_share(c.shot("hover-left"), origin, e.BOXES["VIDEO"]) > 0.95, "the current topic's button stays lit")


def new_small_windows(before):
    now = e.mapped_top_windows()
    return {w: i for w, i in now.items() if w not in before and i["w"] < 300 and i["h"] < 100}


def settled(read, timeout=3.0, interval=0.3):
    """Reads until two reads in a row agree; returns that answer (the last one when time runs out)."""
    last = read()
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        time.sleep(interval)
        now = read()
        if now == last:
            return now
        last = now
    return last


def check_hint(c, origin):
    ox, oy = origin
    # Hints show in the active window only: the window manager made the new window active, and
    # nothing since has taken that away.
    check(e.active_window() == c.wid, "the window is still the active one when the hints are tried")
    e.pointer_at(ox + BARE_SKIN[0], oy + BARE_SKIN[1])
    time.sleep(0.5)
    before = e.mapped_top_windows()
    widths = {}
    previous = set()
    # Where the pointer rests, and whether a hint should show there: the exit and minimise
    # buttons have one ("Salir" is the shorter text), the credits button and the bare skin none,
    # also straight after a button that had one.
    walk = [("SALIR", True), ("MINIMIZAR", True), ("CREDITOS", False), ("SALIR", True), (None, False)]
    for region, wanted in walk:
        if region:
            box = e.BOXES[region]
            x, y = e.centre(box)
            where = f"the {region} button"
        else:
            x, y = BARE_SKIN
            where = "the bare skin"
        # A pointer comes to rest: a small move, then stillness.
        e.pointer_at(ox + x - 3, oy + y - 2)
        e.pointer_at(ox + x, oy + y)
        if wanted:
            # A hint still up from the button before may be reused for this one's text: wait for
            # a hint that is not the old one in the old place.
            def fresh():
                tips = new_small_windows(before)
                return {w: i for w, i in tips.items() if (w, i["x"], i["w"]) not in previous}
            tips = e.poll(fresh, 6, 0.2)
            if tips:
                # A hint window reused from the button before may be moved here before it takes
                # the new text's size (seen on a busy machine): read it once it holds still.
                tips = settled(lambda: new_small_windows(before)) or tips
            check(bool(tips), f"resting on {where} shows a hint window ({list(tips.values()) if tips else 'none'})")
            if tips:
                widths[region] = max(i["w"] for i in tips.values())
                c.shot(f"hint-{region.lower()}")
            previous = {(w, i["x"], i["w"]) for w, i in (tips or {}).items()}
        else:
            gone = e.poll(lambda: not new_small_windows(before), 5, 0.2)
            time.sleep(1.5)
            check(bool(gone) and not new_small_windows(before), f"no hint shows while the pointer rests on {where}")
            previous = set()
    if "SALIR" in widths and "MINIMIZAR" in widths:
        check(widths["MINIMIZAR"] > widths["SALIR"],
              f"the minimise hint is the longer text ({widths['MINIMIZAR']} against {widths['SALIR']} pixels wide)")


def press_and_move(origin, grab, delta, steps=10):
    """Presses the first button at a window point and moves the pointer by delta in small steps,
    the button still held; returns where the pointer ends."""
    ox, oy = origin
    e.pointer_at(ox + grab[0] + 1, oy + grab[1] + 1)
    e.pointer_at(ox + grab[0], oy + grab[1])
    time.sleep(0.2)
    e.button("mousedown")
    # The press has to reach the program, and under a window manager the program has to hand the
    # move over before the pointer goes: motion that comes earlier is lost to the move, as it
    # would be for a person's hand that was quicker than a busy machine.
    time.sleep(0.4)
    for i in range(1, steps + 1):
        e.pointer_at(ox + grab[0] + delta[0] * i // steps, oy + grab[1] + delta[1] * i // steps)
        time.sleep(0.03)
    return ox + grab[0] + delta[0], oy + grab[1] + delta[1]


def placed_at(wid, where, timeout=5, pointer=None):
    """Polls for the window's top left to be at `where`; returns its info then, else None. With
    the pointer's place given (a drag under way), the pointer is nudged and put back between
    looks, as a hand holding a window keeps doing: a move that started late catches up."""
    def look():
        info = e.window_info(wid)
        if info and (info["x"], info["y"]) == where:
            return info
        if pointer is not None:
            e.pointer_at(pointer[0] + 1, pointer[1])
            e.pointer_at(*pointer)
        return None
    return e.poll(look, timeout)


def check_drag(c, prog, wid, origin):
    """Drags the window by the corner of its handle. Under a window manager the manager moves it
    (the program hands the drag over); without one the program follows the pointer itself."""
    ox, oy = origin
    # Inside the handle's box but outside its circle: the corners drag too.
    grab = (246, 310)
    e.pointer_at(ox + grab[0] - 20, oy + grab[1] - 20)
    e.pointer_at(ox + grab[0], oy + grab[1])
    lit = e.poll(lambda: (lambda s: s if s > 0.95 else 0)(c.lit_share(c.shot("drag-hover"), origin, e.BOXES["MOVER"])), 5, 0.2)
    check(lit > 0.95, f"the drag handle lights while the pointer is over its box ({lit:.1%})")
    # Leaving the window straight from the handle: nothing on the window sees the pointer go,
    # so the handle stays lit until the pointer next moves over the window.
    e.pointer_at(5, 5)
    time.sleep(0.5)
    check(c.lit_share(c.shot("drag-left-window"), origin, e.BOXES["MOVER"]) > 0.95,
          "the handle stays lit when the pointer leaves the window straight from it")
    dx, dy = 60, 40
    if c.wm is not None:
        # A move the window manager runs is its own: Escape, while the button is still held,
        # ends it with the window put back where it started. A program that moved itself would
        # not even see that key (the manager holds the keyboard meanwhile).
        held = press_and_move(origin, grab, (dx, dy))
        check(placed_at(wid, (ox + dx, oy + dy), pointer=held) is not None,
              f"while the button is held the window follows the pointer to {ox + dx},{oy + dy} (a drag to be cancelled)")
        e.run(["xdotool", "key", "Escape"], check_rc=True)
        info = placed_at(wid, origin)
        e.button("mouseup")
        check(info is not None, "the drag is the window manager's own move: Escape during it puts the window back "
              f"at {ox},{oy}")
        check(placed_at(wid, origin, 1) is not None, "letting the button go after that leaves the window there")
    held = press_and_move(origin, grab, (dx, dy))
    moved = placed_at(wid, (ox + dx, oy + dy), pointer=held)
    info = e.window_info(wid)
    check(moved is not None, f"pressing on the handle and moving drags the window to {ox + dx},{oy + dy} (now at "
          f"{info['x'] if info else '?'},{info['y'] if info else '?'})")
    e.button("mouseup")
    e.pointer_at(ox + dx + BARE_SKIN[0], oy + dy + BARE_SKIN[1])
    time.sleep(0.3)
    info = e.window_info(wid)
    check(info is not None and (info["x"], info["y"]) == (ox + dx, oy + dy),
          "after the button is let go, moving the pointer leaves the window where it was dropped")
    check(info is not None and (info["w"], info["h"]) == (e.WIDTH, e.HEIGHT), "the dragged window keeps its size")
    moved_to = (ox + dx, oy + dy)
    dark = e.poll(lambda: c.lit_share(c.shot("dragged"), moved_to, e.BOXES["MOVER"]) < 0.05, 5, 0.2)
    check(dark, "the handle goes dark once the pointer moves on over the skin")
    shot = c.shot("dragged")
    tree = e.box_pixels(e.TREE)
    check(1 - e.share_equal(shot, moved_to, c.normal, tree) > 0.03, "the dragged window still shows its tree over the skin")
    check(prog.alive(), "the program is still running after the drag")


if __name__ == "__main__":
    e.run_case(run)
