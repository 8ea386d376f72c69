"""Reads the probe's key=value lines on standard input and prints their medians.

    summary.py NAME [KEEP_FILE]   medians of the runs on standard input, kept in KEEP_FILE
    summary.py --ratios KEEP_FILE every later program's medians beside the first's
"""
import json
import statistics
import sys

if sys.argv[1] == "--ratios":
    with open(sys.argv[2]) as kept:
        (base_name, base), *others = [json.loads(line) for line in kept]
    for name, this in others:
        print(f"{name} beside the {base_name}: first complete paint {this['paint_ms'] / base['paint_ms']:.2f} x, "
              f"idle RSS {this['rss_kb'] / base['rss_kb']:.2f} x")
    sys.exit()

name = sys.argv[1]
rows = [dict(kv.split("=") for kv in line.split()) for line in sys.stdin if "=" in line]
if not rows:
    print(f"{name}: every run failed")
    sys.exit()


def med(key):
    return statistics.median(float(r[key]) for r in rows)


keys = ["map_ms", "paint_ms", "rss_kb"] + (["cue_ms"] if "cue_ms" in rows[0] else [])
print(f"{name}, median of {len(rows)} warm runs: window mapped {med('map_ms'):.1f} ms, "
      f"first complete paint {med('paint_ms'):.1f} ms, idle RSS {med('rss_kb') / 1024:.1f} MiB"
      + (f", first click to its sound {med('cue_ms'):.1f} ms" if "cue_ms" in keys else ""))
for key, what in (("paint_ms", "first paint (ms)"), ("rss_kb", "idle RSS (KiB)"), ("cue_ms", "click to sound (ms)")):
    if key in keys:
        print(f"  {what} per run: " + " ".join(r[key] for r in rows))
if len(sys.argv) > 2:
    with open(sys.argv[2], "a") as kept:
        kept.write(json.dumps([name, {k: med(k) for k in keys}]) + "\n")
