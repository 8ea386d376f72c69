"""Reads the probe's key=value lines on standard input and prints their medians."""
import statistics
import sys

name = sys.argv[1]
rows = [dict(kv.split("=") for kv in line.split()) for line in sys.stdin if "=" in line]
if not rows:
    print(f"{name}: every run failed")
    sys.exit()


def med(key):
    return statistics.median(float(r[key]) for r in rows)


print(f"{name}, median of {len(rows)} warm runs: window mapped {med('map_ms'):.1f} ms, "
      f"first complete paint {med('paint_ms'):.1f} ms, idle RSS {med('rss_kb') / 1024:.1f} MiB")
print("  first paint per run (ms): " + " ".join(r["paint_ms"] for r in rows))
