"""Discs made for the end-to-end and bundle tests in a scratch folder: the sample disc's skin,
topics and items written as a disc's author writes them (CR LF lines, backslashed paths), and
pictures, tones and MIDI tracks made by ImageMagick, sox and lame, or byte by byte."""

import os
import shutil
import struct
import subprocess

# Pictures with detail everywhere, so that any misplaced pixel shows: ImageMagick's arguments
# before the output file.
PLASMA_GIF = ("-size", "300x200", "plasma:fractal", "-seed", "7", "-colors", "200")
PLASMA_JPEG = ("-size", "800x600", "-seed", "3", "plasma:red-blue", "-quality", "92")
LARGE_GIF = ("-size", "1600x1000", "-seed", "5", "plasma:green-yellow", "-colors", "240")


def tool(*args):
    """Runs a maker; a file it failed to make would leave a disc that tests nothing, so that stops
    the test with the tool's own words."""
    p = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=60)
    if p.returncode != 0:
        raise RuntimeError(f"{' '.join(args)} failed ({p.returncode}): {p.stdout.strip()[-1500:]}")


def midi_bytes(note=69, program=73, seconds=7):
    """One long note (A4, 440 Hz by default) on a flute, whose tone is nearly pure."""
    def vlq(n):
        out = [n & 0x7F]
        while n > 0x7F:
            n >>= 7
            out.insert(0, (n & 0x7F) | 0x80)
        return bytes(out)
    ticks = 480 * 2 * seconds  # 480 ticks a beat at the default 120 beats a minute
    track = (b"\x00\xc0" + bytes([program]) + b"\x00\x90" + bytes([note, 110]) +
             vlq(ticks) + b"\x80" + bytes([note, 64]) + b"\x00\xff\x2f\x00")
    return b"MThd" + struct.pack(">IHHH", 6, 0, 1, 480) + b"MTrk" + struct.pack(">I", len(track)) + track


class Disc:
    """A disc folder being made, with the sample disc's skin; paths inside it use forward slashes."""

    def __init__(self, folder, sample, skin=("menul.bmp", "menuh.bmp")):
        self.root = folder
        for name in skin:
            shutil.copy(os.path.join(sample, "GRES", name), self.path("GRES/" + name))

    def path(self, rel):
        """Where Rel goes, its folder made."""
        path = os.path.join(self.root, *rel.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        return path

    def write(self, rel, data):
        with open(self.path(rel), "wb") as f:
            f.write(data)

    def topics(self, topics, music=None):
        """GES.INI listing Topics, (topic, item file under menu/, [(caption, target)...]), each item
        file written, and the viewer's music folder when given."""
        ges = "[Temas]\r\n" + "".join(f"{topic}=menu\\{ini}\r\n" for topic, ini, _ in topics)
        self.write("GRES/GES.INI", (ges + (f"[Visor]\r\nMusica={music}\r\n" if music else "")).encode())
        for _, ini, items in topics:
            self.write("menu/" + ini, "".join(f"[{caption}]\r\nExe={target}\r\n" for caption, target in items).encode())

    def picture(self, rel, args):
        tool("convert", *args, self.path(rel))

    def tone(self, rel, hz, seconds=7.0, rate=44100):
        """A sine tone, mono 16-bit, as WAV or (by Rel's extension) MP3."""
        path = self.path(rel)
        wav = path + ".wav" if rel.endswith(".mp3") else path
        tool("sox", "-n", "-r", str(rate), "-c", "1", "-b", "16", wav, "synth", str(seconds), "sine", str(hz))
        if wav != path:
            tool("lame", "--quiet", wav, path)
            os.unlink(wav)

    def click(self, seconds=0.4):
        """The button's click: a tone, which a recording shows whole or cut."""
        self.tone("GRES/BOTON.WAV", 880, seconds, 22050)


def picture_disc(folder, sample):
    """One topic whose first item lists three pictures, a.gif, b.jpg and c.gif, and the sample's
    click."""
    d = Disc(folder, sample, ("menul.bmp", "menuh.bmp", "BOTON.WAV"))
    d.topics([("Imagen", "IMAGEN.INI", [("Fotos", ".\\FOTOS\\*.gif;*.jpg")])])
    d.picture("FOTOS/a.gif", PLASMA_GIF)
    d.picture("FOTOS/b.jpg", PLASMA_JPEG)
    d.picture("FOTOS/c.gif", LARGE_GIF)
    return folder


def music_disc(folder, sample, click=0.0):
    """One picture item and a music folder of two tracks of different pitches, grave.wav at 440 Hz
    and agudo.mp3 at 660 Hz, so that a recording tells which one played; the button's click (of
    Click seconds) only when asked, as otherwise only the music must reach a recording."""
    d = Disc(folder, sample)
    if click:
        d.click(click)
    d.topics([("Imagen", "IMAGEN.INI", [("Fotos", ".\\FOTOS\\*.jpg")])], music="MUSICA")
    d.picture("FOTOS/a.jpg", ("-size", "400x300", "-seed", "2", "plasma:"))
    # A WAV joins the music from 512 KiB: 7 s of 44.1 kHz mono 16-bit is 617 kB.
    d.tone("MUSICA/grave.wav", 440)
    d.tone("MUSICA/agudo.mp3", 660)
    return folder
