"""The menu on today's Wayland desktops: weston (nested in our X server, under openbox, whose
frame lets the pointer cross into it) with no X server for its clients, then with XWayland, and
sway, a tiling compositor (headless, without X). Each time the window shows its skin, shaped
(the compositor's background outside the mask), and is usable; a session with no display the
menu can use gets one line, not an abort."""

import glob
import json
import os
import re
import shutil
import subprocess
import tempfile

import e2elib as e
from e2elib import check

BACKGROUND = (0x20, 0x30, 0x40)
# weston's output, framed by openbox within the screen.
OUTPUT = (900, 700)


class Compositor:
    """One compositor of the case's own, with a runtime folder of its own for its sockets."""

    def __init__(self, c, name, argv, env, config, owner=None):
        # Outside the case's folder, which another owner could not enter; its configuration in
        # it, named by "{config}" in Argv.
        self.runtime = tempfile.mkdtemp(prefix=f"telvaro-{name}-")
        c.temporary.append(self.runtime)
        path = os.path.join(self.runtime, "config")
        with open(path, "w") as f:
            f.write(config)
        argv = [a.replace("{config}", path) for a in argv]
        if owner is not None:
            os.chown(self.runtime, owner, owner)
            env = dict(env, HOME=self.runtime)
        self.log = open(c.path(f"{name}.log"), "w")
        self.proc = subprocess.Popen(argv, env=dict(os.environ, XDG_RUNTIME_DIR=self.runtime, **env),
                                     stdout=self.log, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        self.name = name

    def socket(self, pattern, timeout=20):
        found = e.poll(lambda: glob.glob(os.path.join(self.runtime, pattern)), timeout)
        if not found:
            with open(self.log.name, errors="replace") as f:
                e.log(f"     {self.name} gave no socket: {f.read()[-1500:]}")
        return found[0] if found else None

    def stop(self):
        e.stop_process(self.proc, 5)
        self.log.close()


def shadowed(pixel):
    """The background, or the background under a shadow (every channel scaled down alike)."""
    return pixel == BACKGROUND or pixel[2] >= BACKGROUND[2] // 3 and all(
        abs(p * BACKGROUND[2] - b * pixel[2]) <= 2 * BACKGROUND[2] for p, b in zip(pixel, BACKGROUND))


def on_screen(c, prog, shoot, name):
    """The window's origin once its skin shows, after saying whether it did and is shaped."""
    shot = None

    def look():
        nonlocal shot
        shot = shoot(name)
        return shot and e.find_skin(c, shot)
    origin = e.poll(look, 15, 0.5)
    if not check(origin is not None, f"{name}: the window shows its skin"):
        e.log("     its output: " + prog.output())
        return None, None
    outside = [(x, y) for y in range(e.HEIGHT) for x in range(e.WIDTH) if not c.inside[y][x]
               and 0 <= origin[0] + x < shot.width and 0 <= origin[1] + y < shot.height]
    # weston draws a shadow under its X clients' windows, whatever their shape: the background
    # shows there too, only darker.
    same = sum(shadowed(shot.pixel(origin[0] + x, origin[1] + y)) for x, y in outside)
    check(bool(outside) and same == len(outside),
          f"{name}: outside the mask the compositor's background shows ({same}/{len(outside)} pixels)")
    return origin, shot


def weston_case(c, xwayland):
    name = "weston+XWayland" if xwayland else "weston"
    w = Compositor(c, name, ["weston", "--backend=x11-backend.so", "--use-pixman", "--socket=wl", "-c", "{config}",
                             f"--width={OUTPUT[0]}", f"--height={OUTPUT[1]}"] + (["--xwayland"] if xwayland else []), {},
                   "[core]\nidle-time=0\n[shell]\nbackground-color=0xff203040\npanel-position=none\n")
    try:
        socket = w.socket("wl")
        env = {"WAYLAND_DISPLAY": socket, "DISPLAY": None}
        if xwayland:
            shown = e.poll(lambda: re.search(r"xserver listening on display (:\d+)", open(w.log.name).read()), 20)
            env["DISPLAY"] = shown.group(1) if shown else None
        if not check(socket is not None and (not xwayland or env["DISPLAY"]), f"{name} runs"):
            return
        out = e.poll(lambda: e.run(["xdotool", "search", "--onlyvisible", "--class", "^Weston Compositor$"]).split(), 10)
        out = e.window_info(int(out[0])) if out else None
        if not check(out is not None, f"{name}: its output shows in a window"):
            return

        def park():
            # weston follows the pointer only once it has crossed into its window, and draws it
            # where it last saw it: in from beside the window, to the output's far corner.
            e.pointer_at(e.SCREEN[0] - 1, e.SCREEN[1] - 1)
            e.pointer_at(out["x"] + OUTPUT[0] - 1, out["y"] + OUTPUT[1] - 1)
        park()
        prog = c.program().start(env_changes=env)
        origin, _ = on_screen(c, prog, c.shot, name)
        if origin is None:
            return
        # Usable: a topic pressed lights and stays lit.
        e.pointer_at(*e.centre(e.BOXES["VARIOS"], origin))
        e.button("click")
        park()
        check(bool(e.poll(lambda: c.lit_share(c.shot(name + "-varios"), origin, e.BOXES["VARIOS"]) > 0.9, 5)),
              f"{name}: a pressed topic stays lit")
        if xwayland:
            return
        # Minimised, the window comes back with a second start, which ends at once.
        e.pointer_at(*e.centre(e.BOXES["MINIMIZAR"], origin))
        e.button("click")
        park()
        check(bool(e.poll(lambda: e.find_skin(c, c.shot(name + "-min")) is None, 5)), f"{name}: the minimise button hides the window")
        second = c.program().start(env_changes=env)
        rc = second.wait_exit(15)
        if not check(rc == 0, f"{name}: a second start ends at once ({rc})"):
            e.log("     its output: " + second.output())
        check(bool(e.poll(lambda: e.find_skin(c, c.shot(name + "-back")), 10, 0.5)), f"{name}: and brings the window back")
        check(prog.alive(), f"{name}: the first menu runs on")
    finally:
        for p in c.programs:
            p.close()
        c.programs.clear()
        w.stop()


class Sway(Compositor):
    """sway without X (no screen, no input devices: clients bring their own), with a plain
    background. It refuses to run as root: there it runs as nobody, whose socket root may use."""

    def __init__(self, c):
        root = os.getuid() == 0
        argv = (["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] if root else []) + ["sway", "-c", "{config}"]
        super().__init__(c, "sway", argv, {"WLR_BACKENDS": "headless", "WLR_RENDERER": "pixman",
                                           "WLR_LIBINPUT_NO_DEVICES": "1", "DISPLAY": ""},
                         f"output HEADLESS-1 resolution {e.SCREEN[0]}x{e.SCREEN[1]} background #203040 solid_color\n",
                         65534 if root else None)
        self.c = c
        self.display, self.ipc = self.socket("wayland-?"), self.socket("sway-ipc.*.sock")
        self.env = dict(os.environ, XDG_RUNTIME_DIR=self.runtime, WAYLAND_DISPLAY=self.display or "")

    def windows(self):
        """The compositor's windows by title, as its tree describes them."""
        out = e.run(["swaymsg", "-s", self.ipc, "-t", "get_tree", "--raw"])
        nodes, found = [json.loads(out)] if out else [], {}
        while nodes:
            n = nodes.pop()
            found[n.get("name")] = n
            nodes += n.get("nodes", []) + n.get("floating_nodes", [])
        return found

    def shoot(self, name):
        path = self.c.path(name + ".png")
        e.run(["grim", path], env=self.env, timeout=20)
        if not os.path.exists(path):
            return None
        e.run(["convert", path, self.c.path(name + ".ppm")], timeout=20)
        return e.read_ppm(self.c.path(name + ".ppm"))

    def check_menu(self, c, prog, what):
        """The menu's window floats at its size, without a title bar, shaped; its node or None."""
        menu = e.poll(lambda: self.windows().get("Telvaro"), 30)
        if not check(menu is not None, f"{what}: the menu's window appears"):
            e.log("     its output: " + prog.output())
            return None
        check(menu["type"] == "floating_con" and (menu["rect"]["width"], menu["rect"]["height"]) == (e.WIDTH, e.HEIGHT)
              and menu["border"] != "normal",
              f"{what}: the menu floats at its size, without a title bar ({menu['type']}, {menu['rect']}, {menu['border']})")
        on_screen(c, prog, self.shoot, what)
        return menu


def sway_case(c):
    s = Sway(c)
    try:
        if not check(s.display is not None and s.ipc is not None, "sway runs"):
            return
        disc = e.testdisc.picture_disc(c.path("disco con fotos"), c.disc)
        prog = e.Program(c.exe, disc, c.work)
        c.programs.append(prog)
        prog.start(env_changes={"WAYLAND_DISPLAY": s.display, "DISPLAY": None})
        if not s.check_menu(c, prog, "sway"):
            return
        # Enter on the picture item: the viewer takes the whole screen. A new virtual keyboard's
        # first key may come before its keymap has arrived: a harmless one goes first, and
        # Enter is pressed again if nothing came of it.
        viewer = None
        for _ in range(3):
            e.run(["swaymsg", "-s", s.ipc, '[title="^Telvaro$"] focus'])
            e.run(["wtype", "-k", "Shift_L", "-s", "500", "-k", "Return"], env=s.env)
            viewer = e.poll(lambda: next((n for k, n in s.windows().items() if k and k.startswith("Visor")), None), 4)
            if viewer:
                break
        if viewer is None:
            e.log(f"     the compositor's windows: {sorted(k for k in s.windows() if k)}; the menu's output: {prog.output()}")
        check(viewer is not None and viewer["fullscreen_mode"] == 1 and
              (viewer["rect"]["width"], viewer["rect"]["height"]) == e.SCREEN,
              f"sway: Enter on a picture item opens the viewer full screen ({viewer and (viewer['fullscreen_mode'], viewer['rect'])})")
    finally:
        for p in c.programs:
            p.close()
        c.programs.clear()
        s.stop()


def run(c):
    c.temporary = []
    try:
        cases(c)
    finally:
        for folder in c.temporary:
            shutil.rmtree(folder, ignore_errors=True)


def cases(c):
    missing = [t for t in ("weston", "Xwayland", "sway", "swaymsg", "grim", "wtype", "setpriv") if not shutil.which(t)]
    if not check(not missing, f"the compositors and their tools are installed (missing: {missing}; scripts/install-deps installs them)"):
        return
    # No display the menu can use: one line, and a failure's exit code rather than an abort.
    p = subprocess.run([c.exe, c.disc], env=dict(os.environ, WAYLAND_DISPLAY="no-existe", DISPLAY=""),
                       stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=30)
    check(p.returncode == 1 and p.stdout.strip().count("\n") == 0 and "no se puede abrir la pantalla" in p.stdout,
          f"with no usable display the menu says so in one line ({p.returncode}: {p.stdout.strip()!r})")
    weston_case(c, xwayland=False)
    weston_case(c, xwayland=True)
    sway_case(c)


if __name__ == "__main__":
    e.run_case(run)
