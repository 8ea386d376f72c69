"""The viewer from a slow medium: the disc is served as a 24x CD serves it (bench/medium's
simulator), so reading a large progressive photo takes over a second. Enter on its item puts
the viewer on the screen, painted, while the photo is still being read; the photo follows."""

import os
import re
import subprocess

import e2elib as e
from e2elib import check, testdisc

# The frame and its "..." and close buttons at the bottom right, painted the same whatever the picture.
BUTTONS = (e.SCREEN[0] - 48, e.SCREEN[1] - 34, 48, 34)


def run(c):
    if not os.path.exists("/dev/fuse"):
        e.log("     no /dev/fuse here: the slow medium cannot be simulated, the case is skipped")
        return
    folder = c.path("disco lento")
    d = testdisc.Disc(folder, c.disc)
    d.topics([("Imagen", "IMAGEN.INI", [("Grande", ".\\FOTOS\\grande.jpg")])])
    d.picture("FOTOS/grande.jpg", ("-size", "3000x2000", "gradient:red-blue", "-attenuate", "0.4", "+noise", "Gaussian",
                                   "-interlace", "Plane", "-quality", "92"))
    size = os.path.getsize(d.path("FOTOS/grande.jpg"))
    image, mount = c.path("disco.iso"), c.path("montado")
    os.makedirs(mount)
    e.run(["xorriso", "-as", "mkisofs", "-R", "-o", image, folder], timeout=60, check_rc=True)
    medium = subprocess.Popen(["/usr/bin/python3", os.path.join(c.src, "bench", "medium", "medium.py"), "--model", "cd",
                               "--image", image, "--log", c.path("medium.tsv"), folder, mount],
                              stdout=open(c.path("medium.out"), "w"), stderr=subprocess.STDOUT)
    try:
        if not check(bool(e.poll(lambda: os.path.exists(os.path.join(mount, "GRES")), 10)), "the slow medium is mounted"):
            e.log("     " + open(c.path("medium.out")).read()[-1500:])
            return
        c.disc = mount
        prog = c.program().start()
        wid = prog.main_window(60)
        if not check(wid is not None, "the menu starts from the slow medium"):
            return
        check(bool(e.poll(lambda: e.active_window() == wid, 5)), "the menu has the focus")
        before = e.visible_windows()
        e.keys_to_focused("Return")
        visor, _ = e.wait_for_window(re.compile("Visor.*"), before, 10)
        early = c.shot("early")
        late = e.poll(lambda: (lambda s: s if s.pixel(512, 384) != early.pixel(512, 384) else None)(c.shot("late")), 30, 0.5)
        log = open(c.path("medium.tsv")).read().splitlines()
        read = sum(int(line.split("\t")[5]) for line in log[1:] if "grande.jpg" in line and line.split("\t")[2] == "read")
        check(visor is not None and read >= size, f"Enter opens the viewer and reads the photo ({read} of {size} bytes)")
        patch = e.box_pixels((BUTTONS[0], BUTTONS[1], BUTTONS[0] + BUTTONS[2], BUTTONS[1] + BUTTONS[3]))
        check(late is not None and all(early.pixel(x, y) == late.pixel(x, y) for x, y in patch),
              "the viewer is on the screen, painted, while the photo is still being read; the photo follows")
    finally:
        for p in c.programs:
            p.close()
        e.run(["fusermount3", "-u", mount], timeout=20)
        e.stop_process(medium, 5)


if __name__ == "__main__":
    e.run_case(run)
