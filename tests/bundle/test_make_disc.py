"""scripts/make-disc on bad input: each case ends with one clear line and exit code 1 before
anything is built or written, and leaves the folders it was given as they were.

    test_make_disc.py SOURCE_DIR
"""

import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from e2elib import check, finish  # noqa: E402

TOOLS = ["patchelf", "readelf", "strip", "ldd", "cmake", "qtpaths6", "pkg-config", "xz", "xorriso"]

def snapshot(folder):
    """Every path below a folder with its size: what a failed run must leave as it was."""
    out = []
    for root, dirs, files in os.walk(folder):
        for name in sorted(dirs + files):
            p = os.path.join(root, name)
            out.append((os.path.relpath(p, folder), os.path.getsize(p) if os.path.isfile(p) else -1))
    return sorted(out)


def tools_without(work, missing):
    """A PATH folder with every tool make-disc uses but one."""
    folder = os.path.join(work, "sin-" + missing)
    os.makedirs(folder)
    for tool in TOOLS:
        found = shutil.which(tool)
        if tool != missing and found:
            os.symlink(found, os.path.join(folder, tool))
    return folder


def main():
    src_dir = os.path.abspath(sys.argv[1])
    make_disc = os.path.join(src_dir, "scripts", "make-disc")
    work = tempfile.mkdtemp(prefix="telvaro-make-disc-")
    try:
        disc = os.path.join(work, "disco")
        shutil.copytree(os.path.join(src_dir, "sample-disc"), disc)
        plain = os.path.join(work, "sin-ini")
        shutil.copytree(disc, plain)
        os.unlink(os.path.join(plain, "GRES", "GES.INI"))
        own_autorun = os.path.join(work, "con-autorun")
        shutil.copytree(disc, own_autorun)
        with open(os.path.join(own_autorun, "autorun"), "w") as f:
            f.write("#!/bin/sh\n")
        looped = os.path.join(work, "con-bucle")
        shutil.copytree(disc, looped)
        os.symlink("..", os.path.join(looped, "GRES", "arriba"))
        dangling = os.path.join(work, "con-enlace-roto")
        shutil.copytree(disc, dangling)
        os.symlink("no-existe.jpg", os.path.join(dangling, "GRES", "foto.jpg"))
        made = os.path.join(work, "hecho")
        shutil.copytree(disc, made)
        os.makedirs(os.path.join(made, ".telvaro"))
        other = os.path.join(work, "ajena")
        os.makedirs(other)
        with open(os.path.join(other, "notas.txt"), "w") as f:
            f.write("mine\n")
        a_file = os.path.join(work, "un-fichero")
        with open(a_file, "w") as f:
            f.write("x")
        out = os.path.join(work, "salida")

        cases = [
            # what, arguments, PATH (None: as it is), words the message must hold
            ("a folder without GRES/GES.INI", [plain, out], None, "no disc folder"),
            ("a folder that is no folder", [a_file, out], None, "not a folder"),
            ("OUT inside SRC", [disc, os.path.join(disc, "salida")], None, "inside SRC"),
            ("SRC inside OUT", [disc, work], None, "inside OUT"),
            ("OUT, an existing folder make-disc did not make", [disc, other], None, "not made by make-disc"),
            ("OUT, an existing file", [disc, a_file], None, "not made by make-disc"),
            ("a disc with its own autorun file", [own_autorun, out], None, "its own autorun"),
            ("a disc that already holds a bundle", [made, out], None, "already holds a .telvaro"),
            ("a link that leads back up", [looped, out], None, "leads back into a folder above it"),
            ("a link to nothing", [dangling, out], None, "is a link to nothing"),
            ("an image inside OUT", ["--iso", os.path.join(out, "x.iso"), disc, out], None, "inside OUT"),
            ("no patchelf", [disc, out], tools_without(work, "patchelf"), "patchelf is missing"),
            ("no xorriso with --iso", ["--iso", os.path.join(work, "d.iso"), disc, out], tools_without(work, "xorriso"),
             "xorriso is missing"),
        ]
        for what, args, path, words in cases:
            before = snapshot(work)
            env = dict(os.environ, PATH=path) if path else None
            p = subprocess.run([make_disc] + args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=env,
                               timeout=60)
            lines = p.stderr.strip().splitlines()
            check(p.returncode == 1 and len(lines) == 1 and lines[0].startswith("make-disc: ") and words in lines[0],
                  f"{what}: one line naming the fault and exit code 1 (got {p.returncode}: {p.stderr.strip()!r})")
            check(not p.stdout, f"{what}: nothing is built")
            check(snapshot(work) == before, f"{what}: nothing is written or changed")
        with open(os.path.join(other, "notas.txt")) as f:
            check(f.read() == "mine\n", "a folder make-disc did not make keeps its files")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    finish()


if __name__ == "__main__":
    main()
