"""The viewer at a device pixel ratio of 2 (a 2048 x 1536 screen): a GIF at actual size is pixel
for pixel the GIF in device pixels, and the fitted picture is the resampler's own output at the
box's device size, not a picture fitted to the logical size and then doubled."""

import os

import e2elib as e
from e2elib import check
from test_viewer import fitted_size, make_disc, mismatches, program_fit, rows_of

SCALE = 2
BOX = tuple(SCALE * v for v in (13, 13, 1024 - 26, 768 - 49))  # the picture area in device pixels


def run(c):
    os.environ["QT_SCALE_FACTOR"] = str(SCALE)
    disc = make_disc(c)
    fotos = os.path.join(disc, "FOTOS")
    prog, wid, visor, info = c.open_viewer(disc)
    if visor is None:
        return
    shot = None

    def shows(ref, at):
        nonlocal shot
        shot = c.shot("hidpi")
        return mismatches(shot, at, ref) == 0

    a = rows_of(os.path.join(fotos, "a.gif"), c, "a")
    at = (BOX[0] + (BOX[2] - a.width) // 2, BOX[1] + (BOX[3] - a.height) // 2)
    check(bool(e.poll(lambda: shows(a, at), 5, 0.3)),
          f"at actual size one picture pixel per device pixel ({mismatches(shot, at, a)} pixels differ)")
    c.shot("hidpi-actual")

    cc = rows_of(os.path.join(fotos, "c.gif"), c, "c")
    fw, fh = fitted_size(cc.width, cc.height, BOX[2], BOX[3])
    fit = program_fit(c, os.path.join(fotos, "c.gif"), fw, fh)
    at = (BOX[0] + (BOX[2] - fw) // 2, BOX[1] + (BOX[3] - fh) // 2)
    e.keys_to_focused("End")
    e.keys_to_focused("Return")
    check(bool(e.poll(lambda: shows(fit, at), 8, 0.3)),
          f"fitted to the box's {BOX[2]}x{BOX[3]} device pixels, resampled once "
          f"({mismatches(shot, at, fit)} pixels differ)")
    c.shot("hidpi-fitted")


if __name__ == "__main__":
    e.run_case(run)
