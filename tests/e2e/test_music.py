"""Background music from outside: in the viewer, "Música" switched on from the options menu with
the keyboard plays one of the disc's tracks, "Nuevo tema" changes to the other, and closing the
viewer stops it. The sound output is a file the test reads: the two tracks are tones of
different pitches, so the recording tells which one played."""

import math
import os
import struct
import time

import e2elib as e
from e2elib import check, testdisc

RATE = 8000
TONES = {"grave.wav": 440, "agudo.mp3": 660}


def make_disc(c, click=False):
    return testdisc.music_disc(c.path("disco musical"), c.disc, click)


def samples(path):
    with open(path, "rb") as f:
        data = f.read()
    return struct.unpack(f"<{len(data) // 2}h", data[:len(data) // 2 * 2])


def power(block, hz):
    """Goertzel: the block's energy at one frequency."""
    k = 2 * math.cos(2 * math.pi * hz / RATE)
    s1 = s2 = 0.0
    for x in block:
        s1, s2 = x + k * s1 - s2, s1
    return s1 * s1 + s2 * s2 - k * s1 * s2


def tone_of(block):
    """Which track a stretch of sound comes from, or None when it is silence or neither."""
    if max((abs(x) for x in block), default=0) < 1000:
        return None
    p = {hz: power(block, hz) for hz in TONES.values()}
    best = max(p, key=p.get)
    other = min(p, key=p.get)
    return best if p[best] > 20 * max(p[other], 1.0) else None


def tones(path):
    """The tone of each quarter second of the recording, in order, repeats merged."""
    s = samples(path)
    heard = []
    for i in range(0, len(s) - RATE // 4, RATE // 4):
        t = tone_of(s[i:i + RATE // 4])
        if t and (not heard or heard[-1] != t):
            heard.append(t)
    return heard, len(s) / RATE


def menu_item(steps):
    """Opens the options menu over the picture and picks the item that Steps presses of Down
    reach from none selected (grey items are passed over, as for a person)."""
    e.pointer_at(500, 380)
    e.button("click", 3)
    time.sleep(0.6)
    e.keys_to_focused(*(["Down"] * steps), "Return")


def run(c):
    disc = make_disc(c)
    record = c.path("sonido.raw")
    # Appended, so that no seek of the player rewinds over what was recorded.
    os.environ["TELVARO_AUDIO_SINK"] = (f"audioconvert ! audioresample ! audio/x-raw,format=S16LE,channels=1,rate={RATE} "
                                        f"! filesink location=\"{record}\" append=true buffer-mode=unbuffered sync=true")
    prog, _, visor, _ = c.open_viewer(disc)
    if visor is None:
        return
    time.sleep(0.5)
    check(not os.path.exists(record) or os.path.getsize(record) == 0, "nothing plays before \"Música\" is chosen")

    # Fit, the slide show's submenu, then "Música".
    menu_item(3)
    time.sleep(2.5)
    first, seconds = tones(record) if os.path.exists(record) else ([], 0)
    check(len(first) == 1, f"\"Música\" plays one of the disc's tracks (heard {first} in {seconds:.1f} s)")

    # "Nuevo tema", one further down, changes to the other track.
    menu_item(4)
    time.sleep(2.5)
    heard, seconds = tones(record)
    check(len(heard) == 2 and set(heard) == set(TONES.values()),
          f"\"Nuevo tema\" changes to the other track (heard {heard} in {seconds:.1f} s)")

    # Closing the viewer stops the music at once.
    e.keys_to_focused("Escape")
    check(bool(e.poll(lambda: not e.window_shown(visor), 5)),
          "Escape closes the viewer")
    size = os.path.getsize(record)
    time.sleep(1.5)
    check(os.path.getsize(record) - size < RATE * 2 * 0.3, "closing the viewer stops the music")
    check(prog.alive(), "the menu keeps running")


if __name__ == "__main__":
    e.run_case(run)
