"""Sound through a real sound server, as on a person's desktop: a PulseAudio daemon of the
test's own with a null sink as its only output, recorded from that sink's monitor, and the
menu started with no sink of ours chosen. The button's click and the viewer's music are heard
at their pitches; the music stops with the viewer; a server that dies while music plays leaves
the menu silent and usable, and music plays again once a server is back."""

import os
import re
import signal
import subprocess
import time

import e2elib as e
from e2elib import check
import test_music as music


class Server:
    """The daemon and a recorder of its null sink; the recording is raw 8 kHz mono S16LE."""

    def __init__(self, c):
        self.c, self.daemon, self.silence, self.recorder, self.file = c, None, None, None, None
        os.environ["PULSE_RUNTIME_PATH"] = c.path("pulse")
        os.environ["PULSE_STATE_PATH"] = c.path("pulse-state")

    def start(self):
        self.daemon = subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
             "-L", "module-native-protocol-unix auth-anonymous=1", "-L", "module-null-sink sink_name=prueba"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        up = e.poll(lambda: subprocess.run(["pactl", "info"], capture_output=True).returncode == 0, 10, 0.2)
        if up:
            # Silence played all along keeps the null sink running, so that its monitor records
            # in real time, and records a stream's start as a sound card would play it.
            self.silence = subprocess.Popen(
                ["pacat", "--playback", "--raw", "--rate=8000", "--channels=1", "--format=s16le", "/dev/zero"],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.file = open(self.c.path(f"sonido-{time.monotonic_ns()}.raw"), "wb")
            self.recorder = subprocess.Popen(
                ["pacat", "--record", "--device=prueba.monitor", "--raw", "--rate=8000", "--channels=1",
                 "--format=s16le", "--latency-msec=20"], stdout=self.file, stderr=subprocess.DEVNULL)
        return bool(up)

    def kill(self):
        for p in (self.silence, self.recorder, self.daemon):
            if p and p.poll() is None:
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

    def seconds(self):
        self.file.flush()
        return os.path.getsize(self.file.name) / 2 / music.RATE


def click(wid, name):
    place = e.window_info(wid)
    e.pointer_at(*e.centre(e.BOXES[name], (place["x"], place["y"])))
    e.button("click")


def run(c):
    disc = music.make_disc(c, click=True)
    server = Server(c)
    if not check(server.start(), "the sound server starts"):
        return
    os.environ["TELVARO_AUDIO_SINK"] = ""  # the desktop's default output, as for a person
    try:
        # The viewer once, then back to the menu, whose topic click is the session's first sound.
        prog, wid, visor, _ = c.open_viewer(disc)
        if visor is None:
            return
        e.keys_to_focused("Escape")
        time.sleep(1)
        click(wid, "IMAGEN")
        check(bool(e.poll(lambda: server.loudest() > 1000, 3, 0.1)),
              f"the button's click is heard (loudest sample {server.loudest()})")
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
        server.kill()


if __name__ == "__main__":
    e.run_case(run)
