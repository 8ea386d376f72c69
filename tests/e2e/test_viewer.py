"""The picture viewer from outside: a picture item of a disc made here opens a full-screen
window; the first picture is drawn at its actual size in the middle of the picture area, pixel
for pixel; Right and End page on; Enter fits the picture exactly as the program's own fitting
does; Escape closes the viewer and leaves the menu as it was."""

import os

import e2elib as e
from e2elib import check, testdisc

SCREEN = (1024, 768)
BOX = (13, 13, SCREEN[0] - 26, SCREEN[1] - 49)  # left, top, width, height of the picture area


def magick(*args):
    e.run(["convert", *args], timeout=60, check_rc=True)


def make_disc(c):
    """A disc with one topic whose first item lists three pictures, a.gif, b.jpg and c.gif."""
    return testdisc.picture_disc(c.path("disco con fotos"), c.disc)


def fitted_size(w, h, bw, bh):
    """The fitted size: the box's width when the scaled height fits, else its height; Python's
    round() rounds halves to even, as the program does."""
    hh = round(h * bw / w)
    if hh < bh:
        return bw, hh
    return round(w * bh / h), bh


def rows_of(path, c, name):
    ppm = c.path(name + ".ppm")
    magick(path, ppm)
    return e.read_ppm(ppm)


def program_fit(c, path, w, h):
    """Path fitted to W x H by the program's own resampler (telvaro-check picture --fit)."""
    out = c.path("fit.png")
    e.run([c.checker, "picture", path, "--fit", f"{w}x{h}", out], timeout=60, check_rc=True)
    return rows_of(out, c, "fit")


def mismatches(shot, origin, ref):
    ox, oy = origin
    return sum(1 for y in range(ref.height) for x in range(ref.width) if shot.pixel(ox + x, oy + y) != ref.pixel(x, y))


def mean_difference(shot, origin, ref, step=7):
    ox, oy = origin
    total = count = 0
    for y in range(0, ref.height, step):
        for x in range(0, ref.width, step):
            a, b = shot.pixel(ox + x, oy + y), ref.pixel(x, y)
            total += sum(abs(p - q) for p, q in zip(a, b))
            count += 3
    return total / max(1, count)


def run(c):
    disc = make_disc(c)
    fotos = os.path.join(disc, "FOTOS")
    # The first topic's first node is the picture item: Enter opens it.
    prog, wid, visor, info = c.open_viewer(disc)
    if visor is None:
        return
    check((info["x"], info["y"], info["w"], info["h"]) == (0, 0) + SCREEN,
          f"the viewer covers the whole screen ({info['x']},{info['y']} {info['w']}x{info['h']})")
    check("FULLSCREEN" in e.net_wm_state(visor), "the window manager holds it full screen")

    # a.gif at actual size, centred in the picture area: exactly its pixels.
    a = rows_of(os.path.join(fotos, "a.gif"), c, "a")
    origin = (BOX[0] + (BOX[2] - a.width) // 2, BOX[1] + (BOX[3] - a.height) // 2)
    shot = None

    def shows(ref, at):
        nonlocal shot
        shot = c.shot("viewer")
        return mismatches(shot, at, ref) == 0
    check(bool(e.poll(lambda: shows(a, origin), 5, 0.2)),
          f"the first picture is drawn at actual size in the middle, pixel for pixel "
          f"({mismatches(shot, origin, a)} pixels differ)")
    c.shot("viewer-first")

    # Right: b.jpg, decoded by another JPEG decoder for the reference, so nearly equal.
    b = rows_of(os.path.join(fotos, "b.jpg"), c, "b")
    origin_b = (BOX[0] + (BOX[2] - b.width) // 2, BOX[1] + (BOX[3] - b.height) // 2)
    e.keys_to_focused("Right")
    check(bool(e.poll(lambda: mean_difference(c.shot("viewer"), origin_b, b) < 3, 5, 0.2)),
          "Right shows the second picture, centred")

    # End: c.gif, larger than the screen, at actual size shows its middle part.
    cc = rows_of(os.path.join(fotos, "c.gif"), c, "c")
    e.keys_to_focused("End")
    x0, y0 = (cc.width - BOX[2]) // 2, (cc.height - BOX[3]) // 2
    centre = [(x, y) for y in range(0, BOX[3], 11) for x in range(0, BOX[2], 11)]

    def middle_shown():
        s = c.shot("viewer")
        return all(s.pixel(BOX[0] + x, BOX[1] + y) == cc.pixel(x0 + x, y0 + y) for x, y in centre)
    check(bool(e.poll(middle_shown, 5, 0.2)), "End shows the last picture, its middle at actual size")

    # Enter: fitted, exactly as the program's own fitting computes it.
    fw, fh = fitted_size(cc.width, cc.height, BOX[2], BOX[3])
    fit = program_fit(c, os.path.join(fotos, "c.gif"), fw, fh)
    origin_fit = (BOX[0] + (BOX[2] - fw) // 2, BOX[1] + (BOX[3] - fh) // 2)
    e.keys_to_focused("Return")
    check(bool(e.poll(lambda: shows(fit, origin_fit), 8, 0.3)),
          f"Enter fits the picture to the screen, pixel for pixel as the fitting computes it "
          f"({mismatches(shot, origin_fit, fit)} pixels differ)")
    c.shot("viewer-fitted")

    # Escape: the viewer goes, the menu stays.
    e.keys_to_focused("Escape")
    check(bool(e.poll(lambda: not e.window_shown(visor), 5)),
          "Escape closes the viewer")
    check(prog.alive(), "the menu keeps running")
    menu = e.window_info(wid)
    check(bool(menu) and menu["viewable"], "the menu's window is still on the screen")


if __name__ == "__main__":
    e.run_case(run)
