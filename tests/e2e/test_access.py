"""The menu as a screen reader sees it on the sample disc: the real program on the desktop's
accessibility bus (its own session bus and accessibility bus, started here), read with pyatspi.
The skin's regions are named push buttons; Tab, Tab, Enter from the keyboard presses the second
region of the map; a button pressed through its accessible action switches the topic, which
changes the tree and the information label; in the viewer, paging announces the new file name
and counter; Escape brings the menu back; "Salir" pressed through its action ends the program."""

import os
import re
import subprocess
import sys
import time

# pyatspi is Debian's and talks to a session bus: run under the system's Python inside a private
# session bus of our own, started here so that the case is complete by itself.
if os.environ.get("TELVARO_E2E_A11Y_BUS") != "1":
    env = dict(os.environ, TELVARO_E2E_A11Y_BUS="1")
    try:
        rc = subprocess.run(["timeout", "-k", "5", "200", "dbus-run-session", "--", "/usr/bin/python3"] + sys.argv,
                            env=env).returncode
    except FileNotFoundError as err:
        sys.exit(f"e2e: {err.filename} is missing (scripts/install-deps installs it)")
    sys.exit(rc)

import e2elib as e  # noqa: E402
from e2elib import check  # noqa: E402

LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
REGIONS = ["Video", "Musica", "Varios", "Salir", "Minimizar", "Imagen", "Mover la ventana", "Subir", "Bajar",
           "Créditos", "Abrir"]
PICTURES = ["amplio.jpg", "atardecer.jpg", "bosque.jpg", "desierto.jpg", "lago.jpg", "nieve.jpg", "noche.jpg",
            "panorama.jpg", "retrato.jpg"]


def start_accessibility_bus(c):
    """The accessibility bus inside our session bus; None when it does not come up in time."""
    if not os.access(LAUNCHER, os.X_OK):
        e.log(f"     {LAUNCHER} is missing (scripts/install-deps installs at-spi2-core)")
        return None
    log = open(c.path("at-spi.log"), "w")
    launcher = subprocess.Popen([LAUNCHER, "--launch-immediately"], stdout=log, stderr=subprocess.STDOUT,
                                stdin=subprocess.DEVNULL)

    def ours():
        # Asked without activating anything: the bus must be the launcher's started here.
        out = e.run(["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                     "org.freedesktop.DBus.NameHasOwner", "string:org.a11y.Bus"], timeout=5)
        return "boolean true" in out
    if not e.poll(ours, 10, 0.2):
        e.log("     the accessibility bus did not come up")
        launcher.terminate()
        return None
    return launcher


class Reader:
    """pyatspi, with the events of interest collected as (type, role, name, detail) while the
    GLib main loop turns."""

    def __init__(self):
        import pyatspi
        from gi.repository import GLib
        self.pyatspi, self.context = pyatspi, GLib.MainContext.default()
        self.events = []
        for kind in ("object:property-change:accessible-name", "object:property-change:accessible-description",
                     "object:state-changed:focused", "object:state-changed:checked"):
            pyatspi.Registry.registerEventListener(self.record, kind)

    def record(self, event):
        try:
            src = event.source
            self.events.append((event.type, src.getRoleName(), src.name, event.detail1, event.any_data))
        except Exception as err:  # an object gone meanwhile
            self.events.append((event.type, None, None, None, repr(err)))

    def pump(self, seconds=0.0):
        end = time.monotonic() + seconds
        while True:
            while self.context.iteration(False):
                pass
            if time.monotonic() >= end:
                return
            time.sleep(0.02)

    def wait(self, predicate, timeout=8.0):
        """Turns the loop until predicate() holds; returns its last answer."""
        end = time.monotonic() + timeout
        while True:
            self.pump()
            value = predicate()
            if value or time.monotonic() >= end:
                return value
            time.sleep(0.05)

    def app(self, pid):
        desktop = self.pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            a = desktop.getChildAtIndex(i)
            try:
                if a is not None and a.get_process_id() == pid:
                    return a
            except Exception:
                pass
        return None

    def fresh(self, acc):
        """The object with what libatspi cached of it dropped, so that reads ask the program."""
        try:
            acc.clear_cache()
        except Exception:
            pass
        return acc

    def find_all(self, root, role=None, name=None, depth=8):
        found = []

        def walk(acc, d):
            if acc is None or d > depth:
                return
            self.fresh(acc)
            if (role is None or acc.getRoleName() == role) and (name is None or acc.name == name):
                found.append(acc)
            for i in range(acc.childCount):
                walk(acc.getChildAtIndex(i), d + 1)
        walk(root, 0)
        return found

    def find(self, root, role=None, name=None):
        found = self.find_all(root, role, name)
        return found[0] if found else None

    def states(self, acc):
        self.fresh(acc)
        return {self.pyatspi.stateToString(s) for s in acc.getState().getStates()}

    def press(self, acc):
        action = acc.queryAction()
        for i in range(action.nActions):
            if action.getName(i) == "Press":
                return action.doAction(i)
        return False

    def saw(self, kind, role=None, name=None, data=None):
        return any(t == kind and (role is None or r == role) and (name is None or n == name)
                   and (data is None or d == data) for t, r, n, _, d in self.events)


def run(c):
    launcher = start_accessibility_bus(c)
    if not check(launcher is not None, "the accessibility bus is up"):
        return
    try:
        body(c, Reader())
    finally:
        launcher.terminate()
        try:
            launcher.wait(5)
        except subprocess.TimeoutExpired:
            launcher.kill()


def body(c, r):
    os.environ["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
    prog = c.program().start()
    wid = prog.main_window()
    if not check(wid is not None, "the main window appears"):
        return
    check(bool(e.poll(lambda: e.active_window() == wid, 5)), "the menu has the focus")
    app = r.wait(lambda: r.app(prog.proc.pid), 10)
    if not check(app is not None, "the program is on the accessibility bus"):
        return
    menu = r.wait(lambda: r.find(app, "frame", "Telvaro"), 5)
    if not check(menu is not None, "its main window is a frame named Telvaro"):
        return

    # The skin's regions, in map order, as push buttons; the current topic's one checked.
    buttons = r.wait(lambda: [b for b in r.find_all(menu, "push button")], 5) or []
    names = [b.name for b in buttons]
    check(names == REGIONS, f"the skin's regions are push buttons, named in map order: {names}")
    byname = {b.name: b for b in buttons}
    if not check(set(REGIONS) <= set(byname), "every region is there"):
        return
    check("checked" in r.states(byname["Video"]) and "checked" not in r.states(byname["Musica"]),
          "the current topic's button is checked, another topic's is not")
    ext = byname["Salir"].queryComponent().getExtents(r.pyatspi.DESKTOP_COORDS)
    info = e.window_info(wid)
    check((ext.x - info["x"], ext.y - info["y"], ext.width, ext.height) == (87, 4, 32, 23),
          f"Salir lies where its region is on the screen ({ext.x - info['x']},{ext.y - info['y']} {ext.width}x{ext.height})")

    tree = r.find(menu, "tree")
    label = r.find(menu, "label")
    if not check(tree is not None and label is not None, "the tree and the information label are there"):
        return
    check(tree.name == "Video" and r.fresh(tree).getChildAtIndex(0).name == "Vídeos",
          f"the tree is named after its topic and holds its nodes, no header first ({tree.name}, "
          f"{tree.getChildAtIndex(0).name if tree.childCount else None})")
    check({"expandable", "expanded"} <= r.states(tree.getChildAtIndex(0)), "the open folder says it is expanded")
    check(label.name == "3 objetos", f"the label's text is its name ({label.name})")

    # Tab, Tab, Enter from the keyboard: the second region of the map, Musica.
    r.events.clear()
    e.keys_to_focused("Tab")
    check(bool(r.wait(lambda: r.saw("object:state-changed:focused", "push button", "Video"), 5)),
          "Tab from the tree takes the keyboard to the first region, and says so")
    e.keys_to_focused("Tab", "Return")
    check(bool(r.wait(lambda: r.fresh(tree).name == "Musica", 5)), "Tab, Tab, Enter presses Musica: the tree shows it")
    check(bool(r.wait(lambda: "checked" in r.states(byname["Musica"]) and "checked" not in r.states(byname["Video"]), 5)),
          "Musica is now the checked button")
    check(bool(r.wait(lambda: r.saw("object:property-change:accessible-name", "label"), 5)),
          f"the label's change is announced ({r.fresh(label).name})")

    # A button pressed through its action: Imagen.
    r.events.clear()
    check(bool(r.press(byname["Imagen"])), "Imagen has a press action")
    check(bool(r.wait(lambda: r.fresh(tree).name == "Imagen", 5)), "pressing Imagen's button shows its topic")
    first = r.fresh(tree).getChildAtIndex(0)
    check(first is not None and first.name == "Galería de fotos", f"the tree changed ({first.name if first else None})")
    check(bool(r.wait(lambda: r.fresh(label).name == "1/15", 5)), f"the label changed ({r.fresh(label).name})")
    check(r.saw("object:property-change:accessible-name", "label", "1/15")
          or r.saw("object:property-change:accessible-name", "label", None, "1/15"),
          "and the change is announced")

    # The viewer: Enter on the picture item; paging is announced.
    before = e.visible_windows()
    r.events.clear()
    e.keys_to_focused("Return")
    visor, _ = e.wait_for_window(re.compile("Visor.*"), before, 10)
    if not check(visor is not None, "Enter on the picture item opens the viewer"):
        e.log("     its output: " + prog.output())
        return
    viewer = r.wait(lambda: next((f for f in r.find_all(app, "frame", "Visor") if "showing" in r.states(f)), None), 5)
    if not check(viewer is not None, "the viewer is a frame named Visor"):
        return
    image = r.wait(lambda: r.find(viewer, "image"), 5)
    if not check(image is not None, "the picture area is an image"):
        return
    check(bool(r.wait(lambda: (r.fresh(image).name, image.description) == (PICTURES[0], f"1 de {len(PICTURES)}"), 8)),
          f"named by the picture's file, described by the counter ({image.name}, {image.description})")
    check(bool(r.wait(lambda: "focused" in r.states(image), 5)), "the keyboard is on the picture")
    vbuttons = [b.name for b in r.find_all(viewer, "push button")]
    check(vbuttons == ["Anterior", "Siguiente", "Opciones", "Cerrar"], f"the viewer's buttons are named: {vbuttons}")
    entry = r.find(viewer, "text")
    check(entry is not None and entry.name == "Ir a la imagen", "the go-to entry is a labelled text field")
    r.events.clear()
    e.keys_to_focused("Right")
    check(bool(r.wait(lambda: r.saw("object:property-change:accessible-name", "image", PICTURES[1])
                      or r.saw("object:property-change:accessible-name", "image", None, PICTURES[1]), 8)),
          "Right announces the next file's name")
    check(bool(r.wait(lambda: r.saw("object:property-change:accessible-description", "image", None, f"2 de {len(PICTURES)}")
                      or (r.fresh(image).description == f"2 de {len(PICTURES)}"
                          and r.saw("object:property-change:accessible-description", "image")), 5)),
          "and its counter")
    e.keys_to_focused("End")
    check(bool(r.wait(lambda: (r.fresh(image).name, image.description) == (PICTURES[-1], f"{len(PICTURES)} de {len(PICTURES)}"), 8)),
          f"End: the last picture ({image.name}, {image.description})")

    # The options menu, opened from its button's action: a menu is a popup, no child of the
    # program, so the listener meets its items as the keyboard walks them.
    opciones = r.find(viewer, "push button", "Opciones")
    before = set(e.mapped_top_windows())
    r.press(opciones)
    check(bool(e.poll(lambda: set(e.mapped_top_windows()) - before, 5)), "Opciones' action opens the options menu")
    r.events.clear()
    e.keys_to_focused("Down", "Down", "Down")
    walked = r.wait(lambda: [n for t, role, n, d, _ in r.events
                             if t == "object:state-changed:focused" and role == "menu item" and d == 1][:3], 5)
    # "Música" is greyed where the machine has no player for the disc's music: then the walk
    # passes over it to "Guardar imagen ...".
    check(walked[:2] == ["Ajustar a pantalla", "Pase automático"] and walked[2:] in (["Música"], ["Guardar imagen ..."]),
          f"its items read as they show: {walked}")
    e.keys_to_focused("Escape")
    e.poll(lambda: not (set(e.mapped_top_windows()) - before), 3)

    # Escape: back to the menu, whose tree takes the keyboard again.
    r.events.clear()
    e.keys_to_focused("Escape")
    check(bool(e.poll(lambda: e.active_window() == wid, 5)), "Escape brings the menu back")
    check(bool(r.wait(lambda: r.saw("object:state-changed:focused", "table cell", "Galería de fotos"), 5)),
          "and the listener is back on the picture item")

    # Salir through its action ends the program, as a click does.
    r.press(byname["Salir"])
    check(prog.wait_exit(10) == 0, "Salir pressed through its action ends the program with code 0")


if __name__ == "__main__":
    e.run_case(run)
