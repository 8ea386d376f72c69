#!/usr/bin/python3
"""What run.sh measured, from its work folder: each run's marks (MODEL-N.marks.json, written by
drive.py) and the medium's log of requests (MODEL-N.reads.tsv, written by medium.py).

    summary.py --run MARKS          one line about one run
    summary.py WORK MODEL...        the medians per model, and the reads of each model's median run
"""
import csv
import glob
import json
import os
import statistics
import sys

# (name, first mark, last mark, how many of its costliest files to show)
PHASES = [("start to painted", "exec", "painted", 15),
          ("painted to click heard", "painted", "cue", 8),
          ("click heard to viewer", "cue", "viewer", 8)]
# The table's columns: a name and the two marks whose difference it shows.
MEASURES = [("window mapped", "exec", "mapped"), ("painted", "exec", "painted"),
            ("click heard after the press", "pressed", "cue"),
            ("viewer picture after the Imagen press", "topic", "viewer")]


def span(marks, a, b):
    return marks[b] - marks[a] if a in marks and b in marks else None


def seconds(value):
    return "-" if value is None else f"{value:.2f} s"


def run_line(marks):
    got = ", ".join(f"{name} {seconds(span(marks, a, b))}" for name, a, b in MEASURES)
    return got + ("" if marks["status"] == "ok" else f" ({marks['status']})")


def load(path):
    with open(path) as f:
        return json.load(f)


def phase_of(t, marks):
    """The phase a request arriving at T belongs to (its index), or len(PHASES) after the last."""
    for i, (_, _, end, _) in enumerate(PHASES):
        if end in marks and t <= marks[end]:
            return i
    return len(PHASES)


def totals(rows):
    return {"MB": sum(r["bytes"] for r in rows) / 1e6, "requests": len(rows), "seeks": sum(r["seek"] for r in rows),
            "hits": sum(r["hit"] for r in rows), "delay s": sum(r["delay"] for r in rows)}


def reads_report(reads, marks):
    with open(reads, newline="") as f:
        rows = [{"t": float(r["t"]), "path": f"{r['path']}{' (list)' if r['op'] == 'list' else ''}",
                 "bytes": int(r["medium_bytes"]), "seek": int(r["seek"]), "hit": int(r["hit"]),
                 "delay": float(r["delay"])} for r in csv.DictReader(f, delimiter="\t")]
    by_phase = [[] for _ in range(len(PHASES) + 1)]
    for r in rows:
        by_phase[phase_of(r["t"], marks)].append(r)
    names = [p[0] for p in PHASES] + ["later, until the menu ended"]
    print(f"    {'phase':<28} {'time':>9} {'MB':>7} {'requests':>9} {'seeks':>6} {'hits':>6} {'delay s':>8}")
    for i, name in enumerate(names):
        t = totals(by_phase[i])
        took = seconds(span(marks, PHASES[i][1], PHASES[i][2])) if i < len(PHASES) else "-"
        print(f"    {name:<28} {took:>9} {t['MB']:7.2f} {t['requests']:9d} {t['seeks']:6d} {t['hits']:6d} "
              f"{t['delay s']:8.2f}")
    for i, (name, _, _, top) in enumerate(PHASES):
        files = {}
        for r in by_phase[i]:
            files.setdefault(r["path"], []).append(r)
        cost = {path: totals(rs) for path, rs in files.items()}
        # With no delays (the model "none"), what would cost on a real medium: accesses, then bytes.
        costly = sorted(cost.items(), key=lambda kv: (-kv[1]["delay s"], -kv[1]["seeks"], -kv[1]["MB"]))[:top]
        if not costly:
            continue
        print(f"    costliest files, {name} (by the medium's time for them, then accesses):")
        for path, t in costly:
            print(f"      {t['delay s']:6.2f} s {t['MB']:6.2f} MB {t['requests']:4d} requests "
                  f"{t['seeks']:3d} seeks  {path}")


def main():
    if sys.argv[1] == "--run":
        print(run_line(load(sys.argv[2])))
        return
    work, models = sys.argv[1], sys.argv[2:]
    print(f"\nmedians per model ({', '.join(name for name, _, _ in MEASURES)}):")
    print(f"  {'model':<6} {'ok runs':>8} " + " ".join(f"{name.split(' after')[0]:>14}" for name, _, _ in MEASURES))
    chosen = {}
    for model in models:
        runs = [(p, load(p)) for p in sorted(glob.glob(os.path.join(work, f"{model}-*.marks.json")))]
        ok = sum(m["status"] == "ok" for _, m in runs)
        cells = []
        for _, a, b in MEASURES:
            got = [v for v in (span(m, a, b) for _, m in runs) if v is not None]
            cells.append(seconds(statistics.median(got)) if got else "-")
        print(f"  {model:<6} {ok:>4}/{len(runs):<3} " + " ".join(f"{c:>14}" for c in cells))
        # The representative run: the median start among the runs that painted.
        painted = sorted((span(m, "exec", "painted"), p, m) for p, m in runs if "painted" in m)
        if painted:
            chosen[model] = painted[(len(painted) - 1) // 2][1:]
    for model, (path, marks) in chosen.items():
        reads = path.replace(".marks.json", ".reads.tsv")
        print(f"\n{model}: reads from the medium in its median run, {os.path.basename(reads)} "
              f"({run_line(marks)})")
        if os.path.exists(reads):
            reads_report(reads, marks)


if __name__ == "__main__":
    main()
