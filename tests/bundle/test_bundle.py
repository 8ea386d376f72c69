"""The disc that scripts/make-disc makes, started where nothing of ours is installed.

A minimal Debian root (minbase, plus only the packages that own the libraries the bundle leaves
to the host, a font, x11-utils, and the MIME database every desktop has) receives the disc as
its ISO image holds it, at a path with a blank and an accented letter. Its autorun.sh runs
inside the root (chroot) against the X server outside, reached through its socket, and the
test looks from outside: the shaped window at its place, the click heard through the bundle's
GStreamer, the viewer drawing a GIF and a JPEG, an MP3 and a MIDI track playing, the libraries
the running menu has mapped, ldd on every bundled file, a document handler's environment, and
the same start once the program has lost its execute bit. Prints make-disc's measures and the
start-up time in the root beside the build's own binary on the host; asserts no speed.

    test_bundle.py TELVARO_CHECK_EXE SOURCE_DIR      (as root, in an X server: see run.sh)
"""

import fcntl
import fnmatch
import glob
import hashlib
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [os.path.join(os.path.dirname(HERE), "support"), os.path.join(os.path.dirname(HERE), "e2e")]
import e2elib as e  # noqa: E402
from e2elib import check, testdisc  # noqa: E402
import test_music as music  # noqa: E402  (the recording's tone analysis)
import test_sound_server as sound  # noqa: E402  (a PulseAudio server of the test's own)
import test_viewer as viewer  # noqa: E402  (the picture comparisons)
import test_wayland as wayland  # noqa: E402  (a Wayland compositor of the test's own)

SUITE = "bookworm"
# Changed whenever the way the root is made changes, so that a cached root is made again.
RECIPE = "1"
CACHE = os.environ.get("TELVARO_BUNDLE_CACHE", "/var/cache/telvaro-bundle-test")
# Beside the owners of the host's libraries: a font for the menu's text, x11-utils, and the MIME
# database every desktop has (without it no document has a type, on any host).
EXTRA_PACKAGES = ["fonts-dejavu-core", "x11-utils", "shared-mime-info", "xz-utils"]
# What the root must not hold at all: the bundle carries these.
NOT_IN_ROOT = {"Qt": "libQt6*", "GStreamer": "libgst*", "libjpeg": "libjpeg*"}
DISC_IN_ROOT = "/media/disco de prueba ñ"
RUNTIME_IN_ROOT = "/tmp/runtime-root"
KEEP_SECONDS = 4
BROCHURE = "folleto de la coleccion con un nombre largo, mas de sesenta y cuatro letras.pdf"
USER_PLUGINS = "/opt/complementos-del-usuario"
RECORD = "/tmp/sonido.raw"
ENV_DUMP = "/tmp/entorno-del-visor.txt"
SCREEN = (1024, 768)
PLACE = ((SCREEN[0] - e.WIDTH) // 2, (SCREEN[1] - e.HEIGHT) // 2)


def measured(text):
    """Prints a measurement, and keeps it in the file TELVARO_BUNDLE_REPORT names: the test
    runner shows a passing test's output to nobody."""
    e.log("     measured: " + text)
    report = os.environ.get("TELVARO_BUNDLE_REPORT")
    if report:
        with open(report, "a") as f:
            f.write(text + "\n")


def sh(args, timeout=600, **kw):
    """Runs a command; its standard output, or a failed check with its last words."""
    p = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, timeout=timeout, **kw)
    if p.returncode != 0:
        e.log(f"     {' '.join(args[:3])} ... failed ({p.returncode}): {(p.stderr or p.stdout).strip()[-1500:]}")
        return None
    return p.stdout


# --- the test disc -----------------------------------------------------------------------------

def make_disc(src, work):
    d = testdisc.Disc(os.path.join(work, "Disco de prueba"), os.path.join(src, "sample-disc"))
    d.click()
    d.topics([("Imagen", "IMAGEN.INI", [("Fotos", ".\\FOTOS\\*.gif;*.jpg")]),
              ("Varios", "VARIOS.INI", [("Folleto", ".\\DOCUMENTOS\\" + BROCHURE)])], music="MUSICA")
    d.picture("FOTOS/a.gif", testdisc.PLASMA_GIF)
    d.picture("FOTOS/b.jpg", testdisc.PLASMA_JPEG)
    d.write("DOCUMENTOS/" + BROCHURE, b"%PDF-1.4\n1 0 obj << /Type /Catalog >> endobj\ntrailer << /Root 1 0 R >>\n%%EOF\n")
    # The MP3 at 660 Hz and the MIDI flute at 440 Hz: the recording tells them apart.
    d.tone("MUSICA/agudo.mp3", 660)
    d.write("MUSICA/flauta.mid", testdisc.midi_bytes())
    return d.root


# --- make-disc -------------------------------------------------------------------------------

def make_disc_run(src, disc, out, iso, report=True):
    started = time.monotonic()
    p = subprocess.run([os.path.join(src, "scripts", "make-disc"), "--iso", iso, disc, out],
                       stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=3600)
    seconds = time.monotonic() - started
    for line in p.stdout.splitlines():
        if report and re.match(r"make-disc: (bundle|minimum host|libraries left)", line):
            measured(line)
        else:
            e.log("     " + line)
    check(p.returncode == 0, f"make-disc makes the disc and its image ({seconds:.1f} s)")
    return p.returncode == 0, seconds


def tree_listing(folder):
    """Every path below a folder with its type, mode, size, time and content digest."""
    rows = []
    for root, dirs, files in os.walk(folder):
        dirs.sort()
        for name in sorted(dirs + files):
            p = os.path.join(root, name)
            st = os.lstat(p)
            digest = ""
            if os.path.isfile(p) and not os.path.islink(p):
                with open(p, "rb") as f:
                    digest = hashlib.sha256(f.read()).hexdigest()
            rows.append((os.path.relpath(p, folder), oct(st.st_mode), st.st_size if digest else 0, int(st.st_mtime), digest))
    return rows


def bundle_files(out):
    """The bundle's ELF files, as paths relative to the disc."""
    found = []
    for root, _, files in os.walk(os.path.join(out, ".telvaro")):
        for name in files:
            p = os.path.join(root, name)
            with open(p, "rb") as f:
                if f.read(4) == b"\x7fELF":
                    found.append(os.path.relpath(p, out))
    return sorted(found)


def host_patterns(src):
    rules = []
    with open(os.path.join(src, "scripts", "disc", "host-libraries")) as f:
        for line in f:
            line = line.strip()
            if line and not line.startswith("#"):
                rules.append(line.split()[0])
    return rules


def matches(name, patterns):
    return any(fnmatch.fnmatchcase(name, p) for p in patterns)


def check_failed_run_leaves_the_disc(src, disc, out, iso, work):
    """A run that fails half-way (here a patchelf that fails) leaves the disc and image made
    before as they were, and nothing of its own."""
    tools = os.path.join(work, "patchelf-roto")
    os.makedirs(tools)
    with open(os.path.join(tools, "patchelf"), "w") as f:
        f.write("#!/bin/sh\necho 'patchelf: no space left on device' >&2\nexit 1\n")
    os.chmod(os.path.join(tools, "patchelf"), 0o755)
    before, parent_before = tree_listing(out), sorted(os.listdir(work))
    with open(iso, "rb") as f:
        image = hashlib.sha256(f.read()).hexdigest()
    env = dict(os.environ, PATH=tools + ":" + os.environ["PATH"])
    p = subprocess.run([os.path.join(src, "scripts", "make-disc"), "--iso", iso, disc, out], env=env,
                       stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, timeout=3600)
    errors = p.stderr.strip().splitlines()
    check(p.returncode == 1 and len(errors) == 1 and "patchelf failed" in errors[0],
          f"a run that fails half-way says why in one line ({p.returncode}: {p.stderr.strip()!r})")
    with open(iso, "rb") as f:
        same_image = hashlib.sha256(f.read()).hexdigest() == image
    check(tree_listing(out) == before and same_image and sorted(os.listdir(work)) == parent_before,
          "a run that fails half-way leaves the disc and image as they were, and nothing of its own")


# --- the minimal root ----------------------------------------------------------------------

def package_of(soname):
    """The Debian package that holds a library on this machine (as the root will get it)."""
    out = subprocess.run(["ldconfig", "-p"], stdout=subprocess.PIPE, text=True).stdout
    for line in out.splitlines():
        if line.split(" ", 1)[0].strip() != soname or "x86-64" not in line or " => " not in line:
            continue
        path = line.split(" => ", 1)[1].strip()
        # dpkg knows a file by the path its package installed it under, before /usr was merged.
        for candidate in dict.fromkeys([path, os.path.realpath(path), re.sub(r"^/usr", "", os.path.realpath(path))]):
            p = subprocess.run(["dpkg", "-S", candidate], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
            if p.returncode == 0:
                return p.stdout.split(":")[0].strip()
    return None


def minimal_root(packages):
    """The root for this package list: made once with mmdebstrap and kept in the cache (a
    changed list or recipe makes a new one and drops the old)."""
    arch = subprocess.run(["dpkg", "--print-architecture"], stdout=subprocess.PIPE, text=True).stdout.strip()
    key = hashlib.sha256(f"{RECIPE} {SUITE} {arch} {' '.join(sorted(packages))}".encode()).hexdigest()[:16]
    os.makedirs(CACHE, exist_ok=True)
    root = os.path.join(CACHE, f"root-{key}")
    with open(os.path.join(CACHE, "lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if os.path.isdir(root):
            e.log(f"     minimal root: cached in {root}")
            return root, 0.0
        for old in glob.glob(os.path.join(CACHE, "root-*")):
            shutil.rmtree(old, ignore_errors=True)
        part = root + ".part"
        started = time.monotonic()
        e.log(f"     minimal root: mmdebstrap --variant=minbase {SUITE} with {' '.join(sorted(packages))}")
        log = os.path.join(CACHE, "mmdebstrap.log")
        with open(log, "w") as f:
            p = subprocess.run(["mmdebstrap", "--variant=minbase", "--include=" + ",".join(sorted(packages)), SUITE, part],
                               stdout=f, stderr=subprocess.STDOUT, timeout=1800)
        if p.returncode != 0:
            with open(log, errors="replace") as f:
                e.log("     mmdebstrap failed: " + f.read()[-2000:])
            shutil.rmtree(part, ignore_errors=True)
            return None, 0.0
        os.rename(part, root)
        return root, time.monotonic() - started


class Root:
    """Starts programs in the root. Each start gets a mount namespace of its own, where the
    cached root lies under an overlay (the cache stays as mmdebstrap made it) whose upper layer
    holds this test's files, with /proc, /dev and the X server's socket folder."""

    SETUP = r'''set -e
lower=$1 upper=$2 work=$3 merged=$4; shift 4
mount -t overlay overlay -o "lowerdir=$lower,upperdir=$upper,workdir=$work" "$merged"
mount -t proc proc "$merged/proc"
mount --rbind /dev "$merged/dev"
mkdir -p "$merged/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$merged/tmp/.X11-unix"
if [ -n "${TELVARO_PULSE_DIR:-}" ]; then
  mkdir -p "$merged/tmp/pulse"
  mount --bind "$TELVARO_PULSE_DIR" "$merged/tmp/pulse"
fi
if [ -n "${TELVARO_WAYLAND_DIR:-}" ]; then
  mkdir -p "$merged/tmp/wayland"
  mount --bind "$TELVARO_WAYLAND_DIR" "$merged/tmp/wayland"
fi
exec chroot "$merged" "$@"
'''

    def __init__(self, lower, work):
        self.lower = lower
        self.upper, self.ovwork, self.merged = (os.path.join(work, n) for n in ("upper", "ovwork", "merged"))
        for d in (self.upper, self.ovwork, self.merged):
            os.makedirs(d)

    def path(self, inside):
        """Where a file of the root is put or read from outside (the overlay's upper layer)."""
        return os.path.join(self.upper, inside.lstrip("/"))

    def command(self, argv, env):
        return (["unshare", "--mount", "--propagation", "private", "sh", "-c", self.SETUP, "sh",
                 self.lower, self.upper, self.ovwork, self.merged, "/usr/bin/env", "-i"] +
                [f"{k}={v}" for k, v in sorted(env.items())] + argv)

    def run(self, argv, env, timeout=120):
        return sh(self.command(argv, env), timeout)


def user_environment(display):
    """The environment of a person's session inside the root: it sets GST_PLUGIN_PATH_1_0 to
    plugins of its own (the menu must ignore them and launched programs get them back) and
    leaves XDG_DATA_DIRS unset."""
    return {
        "HOME": "/root", "PATH": "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin",
        "LANG": "C.UTF-8", "DISPLAY": display, "XAUTHORITY": "/root/.Xauthority",
        "XDG_RUNTIME_DIR": RUNTIME_IN_ROOT, "GST_PLUGIN_PATH_1_0": USER_PLUGINS,
        "TELVARO_AUDIO_SINK": (f"audioconvert ! audioresample ! audio/x-raw,format=S16LE,channels=1,rate={music.RATE} "
                               f"! filesink location=\"{RECORD}\" append=true buffer-mode=unbuffered sync=true"),
    }


def furnish(root, out):
    """The test's own files in the root: the disc as the image holds it, the X server's key, a
    document handler that writes down its environment, and the user's runtime folder."""
    shutil.copytree(out, root.path(DISC_IN_ROOT), symlinks=True)
    # The unpacked start set outlives the menu by ten minutes, for a quick second start; here by
    # a few seconds, so that its going is seen.
    autorun = root.path(DISC_IN_ROOT + "/autorun.sh")
    with open(autorun) as f:
        text = f.read()
    with open(autorun, "w") as f:
        f.write(text.replace("\nkeep_seconds=600\n", f"\nkeep_seconds={KEEP_SECONDS}\n"))
    os.makedirs(root.path("/root"), exist_ok=True)
    shutil.copy(os.environ["XAUTHORITY"], root.path("/root/.Xauthority"))
    os.makedirs(root.path(RUNTIME_IN_ROOT), mode=0o700)
    handler = root.path("/usr/local/bin/registra-entorno")
    os.makedirs(os.path.dirname(handler))
    with open(handler, "w") as f:
        f.write(f"#!/bin/sh\nenv > {ENV_DUMP}.part && echo \"arg:$1\" >> {ENV_DUMP}.part && mv {ENV_DUMP}.part {ENV_DUMP}\n")
    os.chmod(handler, 0o755)
    apps = root.path("/usr/share/applications")
    os.makedirs(apps, exist_ok=True)
    with open(os.path.join(apps, "registra-entorno.desktop"), "w") as f:
        f.write("[Desktop Entry]\nType=Application\nName=Visor de documentos\nExec=/usr/local/bin/registra-entorno %f\n"
                "MimeType=application/pdf;\n")
    os.makedirs(root.path("/root/.config"))
    with open(root.path("/root/.config/mimeapps.list"), "w") as f:
        f.write("[Default Applications]\napplication/pdf=registra-entorno.desktop\n")


# --- looking at the running menu ---------------------------------------------------------------

class Started:
    """One start of the menu, in the root or on the host, always ended by close()."""

    def __init__(self, argv, log_path, cwd=None, env=None):
        self.log = open(log_path, "w")
        self.started = time.monotonic()
        self.proc = subprocess.Popen(argv, stdout=self.log, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                                     cwd=cwd, env=env)

    def window(self, timeout=20.0):
        """The viewable window of the skin's size of this process, and the seconds from the start to it."""
        def find():
            for wid in e.windows_of(self.proc.pid):
                info = e.window_info(wid)
                if info and info["viewable"] and (info["w"], info["h"]) == (e.WIDTH, e.HEIGHT):
                    return wid
            return None
        wid = e.poll(find, timeout, 0.02)
        return wid, time.monotonic() - self.started

    def output(self):
        self.log.flush()
        with open(self.log.name, errors="replace") as f:
            return f.read()[-3000:]

    def close(self):
        e.stop_process(self.proc, 10)
        self.log.close()


def mapped_files(pid, root):
    """The shared objects a process in the root has mapped, as paths in the root. The kernel
    names a file mapped in another mount namespace by its whole path there (the overlay's mount
    point first) when the process was started through the loader."""
    found = set()
    with open(f"/proc/{pid}/maps") as f:
        for line in f:
            parts = line.rstrip("\n").split(None, 5)
            if len(parts) == 6 and parts[5].startswith("/") and ".so" in os.path.basename(parts[5]):
                path = parts[5]
                if path.startswith(root.merged + "/"):
                    path = path[len(root.merged):]
                found.add(path)
    return found


def needed_of(path):
    out = sh(["readelf", "-d", "-W", path]) or ""
    return re.findall(r"\(NEEDED\)\s+Shared library: \[([^\]]+)\]", out)


def soname_of(path):
    out = sh(["readelf", "-d", "-W", path]) or ""
    m = re.search(r"\(SONAME\)\s+Library soname: \[([^\]]+)\]", out)
    return m.group(1) if m else os.path.basename(path)


def check_maps(pid, root, patterns, what):
    """Every library the menu has mapped is the bundle's, one the bundle leaves to the host, or
    one that only such a host library needs."""
    mapped = mapped_files(pid, root)
    # The bundle on the disc, or what autorun.sh unpacked of it into the runtime folder.
    in_bundle = lambda p: p.startswith((DISC_IN_ROOT + "/.telvaro/", RUNTIME_IN_ROOT + "/telvaro-"))
    outside = sorted(p for p in mapped if not in_bundle(p))
    host = {p for p in outside if matches(os.path.basename(p), patterns) or matches(soname_of(f"/proc/{pid}/root{p}"), patterns)}
    # What host libraries need, and what those need, is the host's business too.
    allowed = set(host)
    names = {soname_of(f"/proc/{pid}/root{p}"): p for p in outside}
    queue = list(host)
    while queue:
        for name in needed_of(f"/proc/{pid}/root{queue.pop()}"):
            p = names.get(name)
            if p and p not in allowed:
                allowed.add(p)
                queue.append(p)
    # Modules the C library and ALSA load by themselves from the host's folders.
    stray = [p for p in outside if p not in allowed and not re.search(r"/(gconv|alsa-lib)/", p)]
    check(not stray, f"{what}: every library mapped from outside the bundle is one it leaves to the host "
          f"({len(mapped) - len(outside)} from the bundle, {len(outside)} from the host{', stray: ' + ', '.join(stray) if stray else ''})")
    for lib in ("libQt6Core.so.6", "libglib-2.0.so.0", "libgstreamer-1.0.so.0", "libjpeg.so.62", "libtelvaro_media.so"):
        check(any(in_bundle(p) and p.endswith("/lib/" + lib) for p in mapped), f"{what}: {lib} is mapped from the bundle")
    # Qt maps the translation it loaded: the bundle's Spanish one, wherever the kernel says the
    # program file is.
    with open(f"/proc/{pid}/maps") as f:
        qm = {line.rstrip("\n").split(None, 5)[-1].replace(root.merged, "", 1) for line in f if line.rstrip().endswith(".qm")}
    check(len(qm) == 1 and all(in_bundle(p) and p.endswith("/translations/qtbase_es.qm") for p in qm),
          f"{what}: Qt's Spanish texts come from the bundle ({sorted(qm)})")
    return mapped


def open_pictures():
    """Presses the Imagen topic and Enter on its first item, a picture folder: the viewer's
    window, or None."""
    click_topic("IMAGEN")
    time.sleep(0.5)
    before = e.visible_windows()
    e.keys_to_focused("Return")
    return e.wait_for_window(re.compile("Visor.*"), before, 10)[0]


def click_topic(name):
    e.pointer_at(*e.centre(e.BOXES[name], PLACE))
    e.button("click")
    e.pointer_at(PLACE[0] + 320, PLACE[1] + 130)


def recorded(root):
    p = root.path(RECORD)
    return os.path.getsize(p) if os.path.exists(p) else 0


def check_window(wid, shape_want):
    info = e.window_info(wid)
    check((info["x"], info["y"]) == PLACE, f"the window lies at {PLACE[0]},{PLACE[1]} (got {info['x']},{info['y']})")
    shape = e.run(["xwininfo", "-shape", "-id", str(wid)])
    got = re.search(r"Window shape extents:\s*(\S+)", shape)
    check(got is not None and got.group(1) == shape_want,
          f"the window is shaped by the mask ({got.group(1) if got else 'no shape'}, mask {shape_want})")


# --- the case ------------------------------------------------------------------------------

def sound_server(root, autorun, env, work):
    """The desktop's sound server, with no sink of ours chosen: the bundle's GStreamer talks to a
    PulseAudio daemon on the host through the host's client library in the root. The click, then
    both tracks, are heard from the server's null sink."""
    ctx = type("C", (), {"path": staticmethod(lambda n: os.path.join(work, n))})()
    server = sound.Server(ctx, "PulseAudio")
    if not check(server.start(), "a sound server runs on the host"):
        return
    os.environ["TELVARO_PULSE_DIR"] = os.environ["PULSE_RUNTIME_PATH"]
    desktop = dict(env, TELVARO_AUDIO_SINK="", PULSE_SERVER="unix:/tmp/pulse/native")
    menu = Started(root.command(autorun, desktop), os.path.join(work, "menu-root-pulse.log"))
    try:
        wid, _ = menu.window(30)
        if not check(wid is not None, "the menu starts with the sound server as its output"):
            e.log("     its output: " + menu.output())
            return
        check(bool(e.poll(lambda: e.active_window() == wid, 5)), "the menu has the focus")
        click_topic("VARIOS")
        check(bool(e.poll(lambda: server.loudest() > 1000, 5)), "a topic's click is heard through the sound server")
        if check(open_pictures() is not None, "the picture item opens the viewer"):
            start = server.seconds()
            music.menu_item(3)
            time.sleep(3.0)
            music.menu_item(4)
            time.sleep(3.0)
            heard = server.heard(start)
            check(set(heard) == {440, 660}, f"both tracks are heard through the sound server (heard {heard})")
            e.keys_to_focused("Escape")
    finally:
        menu.close()
        server.kill()
        del os.environ["TELVARO_PULSE_DIR"]


def wayland_only(root, autorun, env, work, src):
    """A Wayland session without X (sway's, on the host): the menu runs on the bundle's Wayland
    platform, shaped, floating at its size."""
    ctx = type("C", (), {"path": staticmethod(lambda n: os.path.join(work, n)), "temporary": []})()
    mask = e.read_bmp(os.path.join(src, "resources", "mask.bmp"))
    ctx.inside = [[mask.pixel(x, y) != mask.pixel(0, 0) for x in range(mask.width)] for y in range(mask.height)]
    ctx.normal = e.read_bmp(root.path(DISC_IN_ROOT + "/GRES/menul.bmp"))
    sway = wayland.Sway(ctx)
    try:
        if not check(sway.display is not None and sway.ipc is not None, "sway runs on the host"):
            return
        os.environ["TELVARO_WAYLAND_DIR"] = sway.runtime
        session = dict({k: v for k, v in env.items() if k != "DISPLAY"},
                       WAYLAND_DISPLAY="/tmp/wayland/" + os.path.basename(sway.display))
        menu = Started(root.command(autorun, session), os.path.join(work, "menu-root-wayland.log"))
        try:
            if sway.check_menu(ctx, menu, "sh autorun.sh in a Wayland session without X"):
                mapped = mapped_files(menu.proc.pid, root)
                check(DISC_IN_ROOT + "/.telvaro/plugins/platforms/libqwayland-generic.so" in mapped,
                      "the bundle's Wayland platform is mapped")
        finally:
            menu.close()
            del os.environ["TELVARO_WAYLAND_DIR"]
    finally:
        sway.stop()
        for folder in ctx.temporary:
            shutil.rmtree(folder, ignore_errors=True)


def run_case(src, checker, work, wm):
    exe_host = os.path.join(src, "build", "release", "src", "main", "telvaro")
    disc = make_disc(src, work)
    e.BOXES.update(e.map_boxes(checker, disc))
    out, iso = os.path.join(work, "disco"), os.path.join(work, "disco.iso")
    ok, first_seconds = make_disc_run(src, disc, out, iso)
    if not ok:
        return
    # The same inputs give the same tree and the same image.
    out2, iso2 = os.path.join(work, "disco-otra-vez"), os.path.join(work, "disco-otra-vez.iso")
    ok, again_seconds = make_disc_run(src, disc, out2, iso2, report=False)
    if ok:
        check(tree_listing(out) == tree_listing(out2), "a second run makes the same tree (names, modes, sizes, times, contents)")
        with open(iso, "rb") as a, open(iso2, "rb") as b:
            check(a.read() == b.read(), "a second run makes the same image")
    shutil.rmtree(out2, ignore_errors=True)
    check_failed_run_leaves_the_disc(src, disc, out, iso, work)

    # The disc as the image holds it: Rock Ridge keeps the execute bits, Joliet the long name.
    from_iso = os.path.join(work, "desde-la-imagen")
    if sh(["xorriso", "-osirrox", "on", "-indev", iso, "-extract", "/", from_iso]) is None:
        check(False, "the image can be read back")
        return
    os.chmod(from_iso, 0o755)
    def essence(rows):
        # Rock Ridge as make-disc writes it drops write bits and owners; what counts is kept.
        return [(path, int(mode, 8) & 0o111 != 0, size, digest) for path, mode, size, _, digest in rows]
    listing = essence(tree_listing(from_iso))
    check(bool(listing) and listing == essence(tree_listing(out)), "the image holds the disc's tree, execute bits included")
    joliet = sh(["xorriso", "-read_fs", "norock", "-indev", iso, "-find", "/DOCUMENTOS", "-type", "f"]) or ""
    check("mas de sesenta y cuatro letras.pdf" in joliet, "Joliet keeps the document's 90-character name")
    # The image in the order the start reads it: the launcher, the start archive, the disc's own
    # files the start reads (the topics first), the first click's archive, then the rest.
    lba = sh(["xorriso", "-indev", iso, "-find", "/", "-type", "f", "-exec", "report_lba", "--"]) or ""
    placed = [p.lower() for _, p in sorted((int(m.group(1)), m.group(2))
                                           for m in re.finditer(r"File data lba:\s*0\s*,\s*(\d+)\s*,.*'(.*)'", lba))]
    check(placed[:3] == ["/autorun.sh", "/.telvaro/start.tar.xz", "/gres/ges.ini"] and
          placed.index("/.telvaro/click.tar.xz") < min(i for i, p in enumerate(placed) if p.startswith("/.telvaro/lib/")),
          f"the image begins with what the start reads, in its order ({placed[:4]})")

    # What a desktop makes of the inserted disc: GIO classes a medium whose root holds
    # autorun.sh as software to run (GNOME, MATE and Cinnamon then offer to run it; the last two
    # want the execute bit, which the image keeps); GNOME runs it with /bin/sh, so it must be
    # plain POSIX sh. The image's tree is read back rather than mounted: not every kernel a test
    # runs on can mount ISO 9660.
    for folder, what in ((out, "the made folder"), (from_iso, "the image's tree")):
        kinds = sh(["/usr/bin/python3", "-c", "import sys; from gi.repository import Gio; "
                    "print(' '.join(Gio.content_type_guess_for_tree(Gio.File.new_for_path(sys.argv[1]))))",
                    folder]) or ""
        check("x-content/unix-software" in kinds.split(), f"GIO classes {what} as software to run ({kinds.strip()})")
    check(os.access(os.path.join(from_iso, "autorun.sh"), os.X_OK), "autorun.sh is executable on the image")
    check(sh(["dash", "-n", os.path.join(out, "autorun.sh")]) is not None, "autorun.sh is plain POSIX sh (dash reads it)")

    # The root: the owners of the libraries the bundle leaves to the host, and no more.
    with open(os.path.join(out, ".telvaro", "bundle.txt")) as f:
        host_libs = re.search(r"^host-libraries: (.*)$", f.read(), re.M).group(1).split()
    owners = {lib: package_of(lib) for lib in host_libs}
    check(all(owners.values()), f"every library left to the host has a package here ({[l for l, p in owners.items() if not p]} have none)")
    lower, made_in = minimal_root(sorted({p for p in owners.values() if p} | set(EXTRA_PACKAGES)))
    if not check(lower is not None, "the minimal root is made"):
        return
    if made_in:
        measured(f"the minimal root took {made_in:.0f} s to make (cold cache)")
    for what, pattern in NOT_IN_ROOT.items():
        found = glob.glob(os.path.join(lower, "usr", "lib", "**", pattern), recursive=True)
        check(not found, f"the root holds no {what} library {found[:3] if found else ''}")
    # Two that the root cannot do without: harfbuzz, which the host must provide, needs GLib, and
    # the MIDI decoder needs the sound server's client. The menu maps the bundle's GLib all the
    # same (checked below from its memory map); PulseAudio's client is the host's by design.
    for what, pattern in {"GLib": "libglib-2.0.so*", "PulseAudio": "libpulse.so*"}.items():
        if glob.glob(os.path.join(lower, "usr", "lib", "**", pattern), recursive=True):
            e.log(f"     note: the root holds {what}, a dependency of the packages that provide the host's libraries")

    root = Root(lower, os.path.join(work, "raiz"))
    furnish(root, from_iso)
    env = user_environment(os.environ["DISPLAY"])
    # A host whose GLib keeps its launch helper elsewhere: documents open through the bundle's.
    root.run(["/bin/rm", "-f", "/usr/lib/x86_64-linux-gnu/glib-2.0/gio-launch-desktop"], env)
    patterns = host_patterns(src)
    mask = e.read_bmp(os.path.join(src, "resources", "mask.bmp"))
    outside_px = mask.pixel(0, 0)
    xs = [x for y in range(mask.height) for x in range(mask.width) if mask.pixel(x, y) != outside_px]
    ys = [y for y in range(mask.height) if any(mask.pixel(x, y) != outside_px for x in range(mask.width))]
    shape_want = f"{max(xs) - min(xs) + 1}x{max(ys) - min(ys) + 1}+{min(xs)}+{min(ys)}"

    autorun = ["/bin/sh", DISC_IN_ROOT + "/autorun.sh"]
    menu = Started(root.command(autorun, env), os.path.join(work, "menu-root.log"))
    try:
        wid, seconds = menu.window(30)
        if not check(wid is not None, f"sh autorun.sh in the root shows the main window ({seconds:.2f} s, first start)"):
            e.log("     its output: " + menu.output())
            return
        check_window(wid, shape_want)
        check(bool(e.poll(lambda: e.active_window() == wid, 5)), "the menu has the focus")
        exe = os.readlink(f"/proc/{menu.proc.pid}/exe").replace(root.merged, "", 1)
        check(exe.startswith(RUNTIME_IN_ROOT + "/telvaro-"), f"the menu runs from its start set, unpacked in the runtime folder ({exe})")
        packed = set((sh(["tar", "-tJf", os.path.join(out, ".telvaro", "start.tar.xz")]) or "").split())
        disc_bundle = DISC_IN_ROOT + "/.telvaro/"
        from_disc = sorted(p[len(disc_bundle):] for p in mapped_files(menu.proc.pid, root) if p.startswith(disc_bundle))
        check(bool(packed) and not packed & set(from_disc), f"nothing the start set holds is mapped from the disc ({from_disc})")

        # A topic's click, through the bundle's GStreamer.
        click_topic("VARIOS")
        check(bool(e.poll(lambda: recorded(root) > 0, 5)), f"a topic's click is heard ({recorded(root)} bytes recorded)")

        # Pictures: a GIF pixel for pixel, then a JPEG.
        if check(open_pictures() is not None, "the picture item opens the viewer"):
            fotos = root.path(DISC_IN_ROOT + "/FOTOS")
            ctx = type("C", (), {"path": staticmethod(lambda n: os.path.join(work, n))})()
            a = viewer.rows_of(os.path.join(fotos, "a.gif"), ctx, "a")
            box = viewer.BOX
            origin = (box[0] + (box[2] - a.width) // 2, box[1] + (box[3] - a.height) // 2)
            shot = os.path.join(work, "visor.ppm")
            check(bool(e.poll(lambda: viewer.mismatches(e.screenshot(shot), origin, a) == 0, 8, 0.3)),
                  "the GIF is drawn at actual size, pixel for pixel")
            b = viewer.rows_of(os.path.join(fotos, "b.jpg"), ctx, "b")
            origin_b = (box[0] + (box[2] - b.width) // 2, box[1] + (box[3] - b.height) // 2)
            e.keys_to_focused("Right")
            check(bool(e.poll(lambda: viewer.mean_difference(e.screenshot(shot), origin_b, b) < 3, 8, 0.3)),
                  "the JPEG is drawn")

            # Music: one track, then the other; the recording tells the MP3 from the MIDI.
            start = recorded(root)
            music.menu_item(3)
            time.sleep(3.0)
            music.menu_item(4)
            time.sleep(3.0)
            with open(root.path(RECORD), "rb") as f:
                f.seek(start - start % 2)
                data = f.read()
            only_music = os.path.join(work, "musica.raw")
            with open(only_music, "wb") as f:
                f.write(data)
            heard, secs = music.tones(only_music)
            check(set(heard) == {440, 660}, f"the music plays the MP3 (660 Hz) and the MIDI track (440 Hz) (heard {heard} in {secs:.1f} s)")
            mapped = check_maps(menu.proc.pid, root, patterns, "started by autorun.sh")
            for lib in ("gstreamer-1.0/libgstmpg123.so", "gstreamer-1.0/libgstfluidsynthmidi.so", "lib/libfluidsynth.so.3"):
                check(DISC_IN_ROOT + "/.telvaro/" + lib in mapped, f"{lib} is mapped from the bundle")
            e.keys_to_focused("Escape")

        # A document opens with the desktop's handler, in the user's environment. Opening an
        # item hides the menu, so this comes last.
        check(bool(e.poll(lambda: (e.window_info(wid) or {}).get("viewable"), 5)), "the menu is back when the viewer closes")
        click_topic("VARIOS")
        time.sleep(0.5)
        e.keys_to_focused("Return")
        dump = root.path(ENV_DUMP)
        check(bool(e.poll(lambda: os.path.exists(dump), 10)), "the document opens with its handler (found through the host's MIME database)")
        if os.path.exists(dump):
            with open(dump) as f:
                lines = f.read().splitlines()
            handler_env = dict(line.split("=", 1) for line in lines if "=" in line and not line.startswith("arg:"))
            # GIO's own GIO_LAUNCHED_DESKTOP_FILE* markers are what any desktop launch sets.
            ours = sorted(k for k in handler_env if k.startswith(("GST_", "GIO_MODULE", "GIO_EXTRA", "GIO_LAUNCH_DESKTOP", "QT_"))
                          and k != "GST_PLUGIN_PATH_1_0")
            check(not ours, f"the handler's environment holds none of the menu's own variables ({ours})")
            check(handler_env.get("GST_PLUGIN_PATH_1_0") == USER_PLUGINS, "the handler gets the user's GST_PLUGIN_PATH_1_0 back")
            check("XDG_DATA_DIRS" not in handler_env, "XDG_DATA_DIRS, unset for the user, is unset for the handler")
            check(any(line.startswith("arg:") and line.endswith("letras.pdf") for line in lines),
                  "the handler is given the document")

    finally:
        menu.close()
    unpacked = lambda: glob.glob(root.path(RUNTIME_IN_ROOT + "/telvaro-*/"))
    check(len(unpacked()) == 1, "the unpacked start set stays a while after the menu ends, for a quick second start")
    check(bool(e.poll(lambda: not unpacked(), KEEP_SECONDS + 10)), f"then it goes ({unpacked()})")

    # Every bundled ELF file finds all it needs in the root: its own in the bundle.
    files = bundle_files(from_iso)
    script = 'for f; do echo "== $f"; ldd "$f" 2>&1; done'
    listing = root.run(["/bin/sh", "-c", script, "sh"] + [f"{DISC_IN_ROOT}/{f}" for f in files], env) or ""
    missing, astray = [], []
    for block in listing.split("== ")[1:]:
        name, _, rest = block.partition("\n")
        for line in rest.splitlines():
            m = re.match(r"\s*(\S+) => (.+?)(?: \(0x[0-9a-f]+\))?$", line)
            if not m:
                continue
            if m.group(2) == "not found":
                missing.append(f"{os.path.basename(name)}: {m.group(1)}")
            elif m.group(1) in needed_of(root.path(name)) and not matches(m.group(1), patterns) \
                    and not m.group(2).startswith(DISC_IN_ROOT + "/.telvaro/"):
                astray.append(f"{os.path.basename(name)}: {m.group(1)} => {m.group(2)}")
    check(len(listing.split("== ")) - 1 == len(files), f"ldd ran on all {len(files)} bundled ELF files in the root")
    check(not missing, f"ldd finds every library of every bundled file ({missing[:5]})")
    check(not astray, f"each bundled file finds what it names in the bundle ({astray[:5]})")

    # The same start once the program has lost its execute bit (a copy, a FAT stick), in a
    # session without a runtime folder to unpack into: from the disc, through the loader.
    os.chmod(root.path(f"{DISC_IN_ROOT}/.telvaro/telvaro"), 0o644)
    os.unlink(root.path(RECORD))
    no_runtime = {k: v for k, v in env.items() if k != "XDG_RUNTIME_DIR"}
    menu = Started(root.command(autorun, no_runtime), os.path.join(work, "menu-root-noexec.log"))
    try:
        wid, seconds = menu.window(30)
        if check(wid is not None, f"without the execute bit, autorun.sh still shows the main window ({seconds:.2f} s)"):
            with open(f"/proc/{menu.proc.pid}/cmdline", "rb") as f:
                argv = f.read().split(b"\0")
            check(os.path.basename(argv[0].decode()).startswith("ld-"), f"it was started through the dynamic loader ({argv[0].decode()})")
            check_window(wid, shape_want)
            check(bool(e.poll(lambda: e.active_window() == wid, 5)), "the menu has the focus")
            click_topic("VARIOS")
            check(bool(e.poll(lambda: recorded(root) > 0, 5)), "a topic's click is heard through the bundle's GStreamer")
            check_maps(menu.proc.pid, root, patterns, "started through the loader")
        else:
            e.log("     its output: " + menu.output())
    finally:
        menu.close()
    os.chmod(root.path(f"{DISC_IN_ROOT}/.telvaro/telvaro"), 0o755)

    sound_server(root, autorun, env, work)
    wayland_only(root, autorun, env, work, src)

    # Start-up: the bundled menu in the root beside the build's own binary on the host, on the
    # same disc, all warm (the first start above built the bundle's plugin registry). The root's
    # starts include making its mount namespace, measured apart.
    def startup(argv, cwd=None, environment=None, runs=5):
        times = []
        for i in range(runs + 1):
            m = Started(argv, os.path.join(work, f"startup-{i}.log"), cwd, environment)
            try:
                wid, seconds = m.window(30)
            finally:
                m.close()
            if wid is not None and i > 0:
                times.append(seconds)
        return statistics.median(times) if len(times) == runs else None

    def namespace_only():
        times = []
        for _ in range(5):
            started = time.monotonic()
            root.run(["/bin/true"], env)
            times.append(time.monotonic() - started)
        return statistics.median(times)
    program = DISC_IN_ROOT + "/.telvaro/telvaro"
    direct = startup(root.command([program, DISC_IN_ROOT], env))
    through_autorun = startup(root.command(autorun, env))
    setup = namespace_only()
    host_env = dict(os.environ, HOME=os.path.join(work, "home"), TELVARO_AUDIO_SINK="fakesink sync=true")
    disc_on_host = root.path(DISC_IN_ROOT)
    on_host = startup([exe_host, disc_on_host], disc_on_host, host_env)
    if direct and through_autorun and on_host:
        measured("start-up to the main window, median of 5 warm starts:")
        measured(f"  the build's binary on the host:   {on_host * 1000:5.0f} ms")
        measured(f"  the bundled program in the root:  {direct * 1000:5.0f} ms ({direct / on_host:.2f} times), "
                 f"of which {setup * 1000:.0f} ms make the root's namespace")
        measured(f"  sh autorun.sh in the root:        {through_autorun * 1000:5.0f} ms ({through_autorun / on_host:.2f} times)")
    check(bool(direct and through_autorun and on_host), "the start-up times were measured")
    # A host without one of the libraries the bundle leaves to it: the launcher names it.
    lost = "/usr/lib/x86_64-linux-gnu/libfontconfig.so.1"
    said = root.run(["/bin/sh", "-c", f'rm -f {lost}*; /bin/sh "{DISC_IN_ROOT}/autorun.sh" 2>&1; echo "exit:$?"'], env) or ""
    check("exit:1" in said and "libfontconfig.so.1" in said and said.count("\n") == 2,
          f"on a host that lacks libfontconfig.so.1, autorun.sh says so in one line and stops ({said.strip()!r})")
    measured(f"make-disc took {first_seconds:.1f} s the first time (with its Release build), {again_seconds:.1f} s again")


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: test_bundle.py TELVARO_CHECK_EXE SOURCE_DIR")
    checker, src = (os.path.abspath(a) for a in sys.argv[1:3])
    report = os.environ.get("TELVARO_BUNDLE_REPORT")
    if report and os.path.exists(report):
        os.unlink(report)
    work = tempfile.mkdtemp(prefix="telvaro-bundle-")
    wm = e.WindowManager(work)
    try:
        if not wm.start():
            sys.exit("bundle: the window manager did not start")
        e.pointer_at(5, 5)
        run_case(src, checker, work, wm)
    finally:
        wm.stop()
        if os.environ.get("TELVARO_BUNDLE_KEEP"):
            e.log(f"     kept {work}")
        else:
            shutil.rmtree(work, ignore_errors=True)
    e.finish()


if __name__ == "__main__":
    main()
