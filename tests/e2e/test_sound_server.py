"""Sound through a real sound server, as on a person's desktop: PulseAudio, then PipeWire with its
PulseAudio service (as today's desktops have it), each a server of the test's own with a null sink
as its only output, recorded from that sink's monitor, and the menu started with no sink of ours
chosen. The button's click is heard whole at every press, the first of each start too; the
viewer's music is heard at its pitches; the music stops with the viewer; a server that dies while
music plays leaves the menu silent and usable, and music plays again once a server is back."""

import os
import re
import signal
import subprocess
import time

import e2elib as e
from e2elib import check
import test_music as music

CLICK = 0.075  # seconds: as long as the sample disc's click
STARTS = 20


class Server:
    """The server's processes and a recorder of its null sink; the recording is raw 8 kHz mono S16LE."""

    def __init__(self, c, kind):
        self.c, self.kind, self.procs, self.file = c, kind, [], None
        os.environ["PULSE_RUNTIME_PATH"] = c.path("pulse")
        os.environ["PULSE_STATE_PATH"] = c.path("pulse-state")

    def daemons(self):
        quiet = dict(stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if self.kind == "PulseAudio":
            return [subprocess.Popen(
                ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no", "-L",
                 "module-native-protocol-unix auth-anonymous=1", "-L", "module-null-sink sink_name=prueba"], **quiet)]
        # PipeWire's session manager, which links the streams, wants a D-Bus session.
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address"],
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        env = dict(os.environ, DBUS_SESSION_BUS_ADDRESS=bus.stdout.readline().strip(),
                   XDG_STATE_HOME=self.c.path("pw-state"), XDG_CONFIG_HOME=self.c.path("pw-config"))
        # Its clients wait for its socket; one a killed server left would not answer them.
        socket = os.path.join(os.environ["XDG_RUNTIME_DIR"], "pipewire-0")
        if os.path.exists(socket):
            os.unlink(socket)
        procs = [bus, subprocess.Popen(["pipewire"], env=env, **quiet)]
        e.poll(lambda: os.path.exists(socket), 5, 0.05)
        return procs + [subprocess.Popen([name], env=env, **quiet) for name in ("wireplumber", "pipewire-pulse")]

    def start(self):
        self.procs = self.daemons()
        up = e.poll(lambda: subprocess.run(["pactl", "info"], capture_output=True).returncode == 0, 10, 0.2)
        if up and self.kind == "PipeWire":
            subprocess.run(["pactl", "load-module", "module-null-sink", "sink_name=prueba"], capture_output=True)
            up = e.poll(lambda: e.run(["pactl", "get-default-sink"]).strip() == "prueba", 10, 0.1)
        if up:
            # Silence played all along keeps the null sink running, so that its monitor records
            # in real time, and records a stream's start as a sound card would play it.
            self.procs.append(subprocess.Popen(
                ["pacat", "--playback", "--raw", "--rate=8000", "--channels=1", "--format=s16le", "/dev/zero"],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
            self.file = open(self.c.path(f"sonido-{time.monotonic_ns()}.raw"), "wb")
            self.procs.append(subprocess.Popen(
                ["pacat", "--record", "--device=prueba.monitor", "--raw", "--rate=8000", "--channels=1",
                 "--format=s16le", "--latency-msec=20"], stdout=self.file, stderr=subprocess.DEVNULL))
            # A recorder may hold its first data back a while: until it writes, no time is known.
            up = e.poll(lambda: self.seconds() > 0.2, 5, 0.05)
        return bool(up)

    def kill(self):
        for p in reversed(self.procs):
            if p.poll() is None:
                p.send_signal(signal.SIGKILL)
                p.wait(5)
        if self.file:
            self.file.close()

    def heard(self, since=0.0):
        """The tracks the recording holds from Since seconds on, by pitch, in order, repeats merged."""
        self.file.flush()
        s = music.samples(self.file.name)[int(since * music.RATE):]
        heard = []
        for i in range(0, len(s) - music.RATE // 4, music.RATE // 4):
            block = s[i:i + music.RATE // 4]
            best = music.tone_of(block)
            if best and (not heard or heard[-1] != best):
                heard.append(best)
        return heard

    def loudest(self, since=0.0):
        self.file.flush()
        return max((abs(x) for x in music.samples(self.file.name)[int(since * music.RATE):]), default=0)

    def sounding(self, since):
        """For how long the recording from Since seconds on is loud, counted in 2 ms steps: a
        click cut at its start or played twice is as much shorter or longer."""
        self.file.flush()
        s = music.samples(self.file.name)[int(since * music.RATE):]
        return len({i // 16 for i, x in enumerate(s) if abs(x) > 8000}) * 16 / music.RATE

    def seconds(self):
        self.file.flush()
        return os.path.getsize(self.file.name) / 2 / music.RATE


def click(wid, name):
    place = e.window_info(wid)
    e.pointer_at(*e.centre(e.BOXES[name], (place["x"], place["y"])))
    e.button("click")


def press(server, wid):
    """Presses a button; for how long its click sounded."""
    clicked = server.seconds()
    click(wid, "IMAGEN")
    e.poll(lambda: server.sounding(clicked) >= CLICK, 1.5, 0.05)
    time.sleep(0.15)  # a click played twice would still be sounding
    return server.sounding(clicked)


def whole(seconds):
    return CLICK - 0.003 <= seconds <= CLICK + 0.007


def first_clicks(c, server, disc):
    """The first press of each of STARTS starts in a row, and four more presses in the last."""
    firsts, later = [], []
    for n in range(STARTS):
        prog = e.Program(c.exe, disc, c.work)
        c.programs.append(prog)
        wid = prog.start().main_window()
        if wid is None:
            break
        time.sleep(0.5)  # as a hand reaches the button
        firsts.append(press(server, wid))
        later = [press(server, wid) for _ in range(4)] if n == STARTS - 1 else []
        prog.close()
    ms = [round(x * 1000) for x in firsts + later]
    check(len(firsts) == STARTS and all(map(whole, firsts)),
          f"the first click of each of {STARTS} starts is heard whole (ms of {CLICK * 1000:.0f}: {ms[:len(firsts)]})")
    check(len(later) == 4 and all(map(whole, later)), f"so is every press after it ({ms[len(firsts):]})")


def run(c):
    disc = music.make_disc(c, click=CLICK)
    os.environ["TELVARO_AUDIO_SINK"] = ""  # the desktop's default output, as for a person
    for kind in ("PulseAudio", "PipeWire"):
        run_with(c, disc, Server(c, kind))


def run_with(c, disc, server):
    if not check(server.start(), f"the {server.kind} server starts"):
        return
    try:
        first_clicks(c, server, disc)
        # The viewer once, then back to the menu, whose click is heard whole too.
        prog, wid, visor, _ = c.open_viewer(disc)
        if visor is None:
            return
        e.keys_to_focused("Escape")
        time.sleep(1)
        length = press(server, wid)
        check(whole(length), f"the button's click after the viewer is heard whole ({length * 1000:.0f} ms)")
        before = e.visible_windows()
        e.keys_to_focused("Return")
        visor, _ = e.wait_for_window(re.compile("Visor.*"), before, 10)
        if not check(visor is not None, "the picture item opens the viewer again"):
            return
        music.menu_item(3)  # "Música"
        time.sleep(2.5)
        first = server.heard()
        check(len(first) >= 1, f"\"Música\" is heard through the server at a track's pitch (heard {first})")
        switched = server.seconds()
        music.menu_item(4)  # "Nuevo tema"
        time.sleep(2.5)
        then = server.heard(switched)
        check(bool(first) and bool(then) and then[-1] != first[-1],
              f"\"Nuevo tema\" is heard as the other track (heard {first}, then {then})")

        # The server dies while the music plays: no box, no hang; music again once one is back.
        before = e.visible_windows()
        server.kill()
        time.sleep(1.5)
        check(prog.alive(), "the menu survives the sound server's death")
        check(set(e.visible_windows()) == set(before), "no message appears when the sound goes")
        if not check(server.start(), "the sound server starts again"):
            return
        music.menu_item(4)
        time.sleep(2.5)
        again = server.heard()
        check(len(again) >= 1, f"the next track plays through the new server (heard {again})")

        e.keys_to_focused("Escape")
        check(bool(e.poll(lambda: not e.window_shown(visor), 5)),
              "Escape closes the viewer")
        time.sleep(0.5)
        closed = server.seconds()
        time.sleep(1.5)
        check(server.heard(closed) == [], "the music stops with the viewer")
        # The cue learns that its server went only when it next plays: that click may be lost,
        # the one after it sounds.
        heard_after = []
        for _ in range(2):
            clicked = server.seconds()
            click(wid, "IMAGEN")
            heard_after.append(bool(e.poll(lambda: server.loudest(clicked) > 1000, 2, 0.1)))
            if heard_after[-1]:
                break
        check(heard_after[-1], f"clicks are heard through the server that came back (heard: {heard_after})")
        check(prog.alive(), "the menu keeps running")
    finally:
        for prog in c.programs:
            prog.close()
        server.kill()


if __name__ == "__main__":
    e.run_case(run)
