#!/usr/bin/python3
"""A slow medium under a disc's folder: a read-only FUSE view of the folder in which every request
waits as long as the drive would take to answer it, and is logged.

    medium.py --model cd|dvd|usb|none --image IMAGE --log LOG SOURCE_DIR MOUNTPOINT

Runs in the foreground until unmounted (fusermount3 -u MOUNTPOINT) or stopped (SIGTERM, Ctrl-C).
SOURCE_DIR is the folder a disc was made from and IMAGE its ISO 9660 image: the image tells
where each file lies on the medium, so that reading on from where the drive stopped costs only
the transfer, and anything else costs an access first. The drive answers one request at a time.

Each line of LOG (tab-separated, with a header) is one request that reached the medium: t (this
clock's seconds, time.monotonic(), when the request arrived), since_mount, op (read, or list for
a directory's entries read on its first lookup), path from the disc's root, offset and length
asked, medium_bytes (what the drive transferred for it), seek (1 when it cost an access), delay
(seconds the request was held), hit (1 when every byte had been read from the medium before).
"""
import argparse
import errno
import os
import re
import subprocess
import sys
import threading
import time

try:
    import fusepy as fuse  # the module's name in Debian's python3-fusepy
except ImportError:
    import fuse

# Transfer rate (bytes a second) and the time of an access that does not continue the previous
# one (the head moves and waits for the sector), per kind of medium.
MODELS = {
    "cd": (3.6e6, 0.100),     # 24x CD
    "dvd": (11e6, 0.100),     # 8x DVD
    "usb": (30e6, 0.0005),    # USB 2 stick
    "none": (float("inf"), 0.0),
}
SECTOR = 2048
# A read starting at most this far past the end of the previous one continues it: the drive's
# read-ahead has passed over the gap, so the gap costs its transfer time but no new access.
READ_THROUGH = 64 * 1024
# The kernel keeps what it learnt of names and attributes: a read-only medium never changes.
KEEP = 24 * 3600


def image_positions(image):
    """The byte position on the image of each file's data, by its path from the disc's root
    ('.telvaro/telvaro'). A file of several extents (over 4 GiB) is taken as laid in one piece."""
    out = subprocess.run(["xorriso", "-indev", image, "-find", "/", "-exec", "report_lba", "--"],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=300, check=True,
                         errors="surrogateescape", text=True).stdout
    positions = {}
    for m in re.finditer(r"^File data lba:\s*0\s*,\s*(\d+)\s*,\s*\d+\s*,\s*\d+\s*,\s*'(.*)'\s*$", out, re.M):
        positions[m.group(2).replace("'\"'\"'", "'").lstrip("/")] = int(m.group(1)) * SECTOR
    return positions


def unserved(ranges, a, b):
    """The span of bytes [a, b) not within Ranges (sorted, disjoint [start, end) pairs): from its
    first such byte to its last, or None when every byte is within them."""
    first = last = None
    pos = a
    for s, e in ranges:
        if e <= pos:
            continue
        if s >= b:
            break
        if s > pos:
            first = pos if first is None else first
            last = s
        pos = max(pos, e)
    if pos < b:
        first = pos if first is None else first
        last = b
    return None if first is None else (first, last)


def merged(ranges, a, b):
    out = []
    for s, e in ranges:
        if e < a or s > b:
            out.append((s, e))
        else:
            a, b = min(a, s), max(b, e)
    out.append((a, b))
    return sorted(out)


class Medium(fuse.Operations):
    use_ns = True

    def __init__(self, root, model, positions, log):
        self.root = os.path.realpath(root)
        self.rate, self.access = MODELS[model]
        self.positions = positions
        self.drive = threading.Lock()  # one head: one request at a time
        self.writing = threading.Lock()
        self.head = None              # image position where the last transfer ended (None: unknown)
        self.served = {}              # path -> byte ranges already transferred from the medium
        self.listed = {""}            # directories whose entries were read: mounting reads the root's
        self.mounted = time.monotonic()
        self.log = open(log, "w", buffering=1)
        self.log.write("t\tsince_mount\top\tpath\toffset\tlength\tmedium_bytes\tseek\tdelay\thit\n")

    def init(self, path):
        self.mounted = time.monotonic()

    def _host(self, path):
        return os.path.join(self.root, path.lstrip("/"))

    def _record(self, arrived, op, path, offset, length, nbytes, seek, delay, hit):
        with self.writing:
            self.log.write(f"{arrived:.6f}\t{arrived - self.mounted:.6f}\t{op}\t{path or '.'}\t{offset}\t{length}\t"
                           f"{nbytes}\t{int(seek)}\t{delay:.6f}\t{int(hit)}\n")

    def _transfer(self, pos, nbytes):
        """The time the drive takes to deliver Nbytes at image position Pos (None: a place of its
        own that nothing continues), and whether it costs an access; moves the head past them."""
        seek = pos is None or self.head is None or not self.head <= pos <= self.head + READ_THROUGH
        passed = 0 if seek else pos - self.head
        self.head = None if pos is None else pos + nbytes
        return (self.access if seek else 0.0) + (nbytes + passed) / self.rate, seek

    def _listing(self, d):
        """A directory's entries are read from the medium once, on the first look into it."""
        if d in self.listed:
            return
        with self.drive:
            if d in self.listed:
                return
            arrived = time.monotonic()
            delay, _ = self._transfer(None, SECTOR)
            time.sleep(delay)
            self.listed.add(d)
            self._record(arrived, "list", d, 0, SECTOR, SECTOR, True, delay, False)

    # --- the file system ------------------------------------------------------------------

    def getattr(self, path, fh=None):
        self._listing(os.path.dirname(path).lstrip("/"))
        try:
            st = os.lstat(self._host(path))
        except OSError as e:
            raise fuse.FuseOSError(e.errno)
        keys = ("st_mode", "st_nlink", "st_uid", "st_gid", "st_size", "st_atime_ns", "st_mtime_ns", "st_ctime_ns")
        attrs = {k.replace("_ns", ""): getattr(st, k) for k in keys}
        attrs["st_blocks"] = st.st_blocks
        return attrs

    def readdir(self, path, fh):
        self._listing(path.lstrip("/"))
        return [".", ".."] + os.listdir(self._host(path))

    def readlink(self, path):
        return os.readlink(self._host(path))

    def open(self, path, flags):
        if flags & (os.O_WRONLY | os.O_RDWR | os.O_TRUNC | os.O_APPEND):
            raise fuse.FuseOSError(errno.EROFS)
        try:
            return os.open(self._host(path), os.O_RDONLY)
        except OSError as e:
            raise fuse.FuseOSError(e.errno)

    def release(self, path, fh):
        os.close(fh)

    def read(self, path, size, offset, fh):
        arrived = time.monotonic()
        rel = path.lstrip("/")
        end = min(offset + size, os.fstat(fh).st_size)
        if end > offset and unserved(self.served.get(rel, []), offset, end) is None:
            # Read from the medium before, and evicted since by the host: it costs the drive nothing.
            data = os.pread(fh, size, offset)
            self._record(arrived, "read", rel, offset, size, 0, False, 0.0, True)
            return data
        with self.drive:
            ranges = self.served.get(rel, [])
            span = unserved(ranges, offset, end) if end > offset else None
            delay, seek, nbytes = 0.0, False, 0
            if span:
                # The drive reads from the first byte not yet read to the last one asked for.
                base = self.positions.get(rel)
                nbytes = span[1] - span[0]
                delay, seek = self._transfer(None if base is None else base + span[0], nbytes)
                self.served[rel] = merged(ranges, *span)
            # The host's own read is part of the modelled time, not added to it.
            deadline = time.monotonic() + delay
            data = os.pread(fh, size, offset)
            time.sleep(max(0.0, deadline - time.monotonic()))
            self._record(arrived, "read", rel, offset, size, nbytes, seek, delay, end > offset and not span)
        return data

    def statfs(self, path):
        st = os.statvfs(self.root)
        return {k: getattr(st, k) for k in ("f_bsize", "f_frsize", "f_blocks", "f_bfree", "f_bavail",
                                              "f_files", "f_ffree", "f_favail", "f_namemax")}


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--model", choices=sorted(MODELS), required=True)
    ap.add_argument("--image", required=True, help="the ISO 9660 image made of SOURCE_DIR")
    ap.add_argument("--log", required=True, help="where each request to the medium is logged (TSV)")
    ap.add_argument("source")
    ap.add_argument("mountpoint")
    args = ap.parse_args()
    positions = image_positions(args.image)
    if not positions:
        sys.exit(f"medium: no file positions found in {args.image}")
    unplaced = [os.path.relpath(os.path.join(d, f), args.source) for d, _, files in os.walk(args.source)
                for f in files if os.path.relpath(os.path.join(d, f), args.source) not in positions]
    if unplaced:
        print(f"medium: {len(unplaced)} file(s) not on the image, each read as an access of its own, "
              f"e.g. {unplaced[0]}", file=sys.stderr)
    ops = Medium(args.source, args.model, positions, args.log)
    # No direct_io: the dynamic loader maps libraries, which needs the page cache.
    # One thread: requests reach the drive in the order the kernel sent them, as a block device's
    # queue would pass them on. Threads racing for the drive served a read-ahead before the read
    # it follows, and charged an access for each such turn.
    fuse.FUSE(ops, args.mountpoint, foreground=True, nothreads=True, ro=True, kernel_cache=True,
              default_permissions=True,
              fsname="medium-" + args.model, entry_timeout=KEEP, attr_timeout=KEEP, negative_timeout=KEEP)


if __name__ == "__main__":
    main()
