#!/usr/bin/env bash
# How long a made disc's menu takes to come up, to sound and to show a picture when started cold
# from a slow medium:
#   bench/medium/run.sh [--runs N] [--models cd,dvd,usb,none] [--disc DIR --iso IMG]
# Without --disc, the sample disc is made first (scripts/make-disc, a Release build: minutes).
# Each run mounts the disc afresh through medium.py (nothing of it cached, in the kernel or on the
# host), starts its autorun.sh as a desktop does, in a private X server under openbox, and
# drive.py notes the window's first complete paint, the click heard, and the viewer's first
# picture; medium.py logs every request the medium served. The medians per model, and the reads
# of each model's median run phase by phase, are printed by summary.py; every file stays in the
# work folder named at the start. Prints; asserts nothing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
py=/usr/bin/python3 # the system's Python, which has python3-fusepy

# Seconds any one step may take (the window's coming, the click's sound, ...), per model.
step_timeout() { case $1 in cd) echo 120 ;; dvd) echo 60 ;; *) echo 40 ;; esac; }
# A run is at most its seven steps, each with the few seconds that tell a picture is complete.
run_limit() { echo $((7 * ($(step_timeout "$1") + 4) + 30)); }

if [ "${MEDIUM_BENCH_INNER:-}" = 1 ]; then
  cd "$MEDIUM_BENCH_WORK"
  mnt=$PWD/mnt
  mkdir -p "$mnt" wm-config
  daemon='' wm='' driver=''
  echo $$ >inner.pid
  unmount() {
    mountpoint -q "$mnt" || return 0
    if command -v fusermount3 >/dev/null; then fusermount3 -u "$mnt"; elif command -v fusermount >/dev/null; then
      fusermount -u "$mnt"; else umount "$mnt"; fi 2>/dev/null || umount -l "$mnt" || true
  }
  stop() { # PID: asks it to end, and makes sure it has within 10 s
    kill "$1" 2>/dev/null || return 0
    for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
    kill -KILL "$1" 2>/dev/null || true
  }
  cleanup() {
    if [ -n "$driver" ]; then stop "$driver"; fi # it ends the menu it started
    driver=''
    # The menu runs in a session of its own: the driver ends it, or else its group is ended here.
    if [ -s pgid ]; then kill -KILL -- "-$(cat pgid)" 2>/dev/null || true; fi
    rm -f pgid
    unmount
    if [ -n "$daemon" ]; then stop "$daemon"; fi
    daemon=
  }
  trap 'cleanup; if [ -n "$wm" ]; then stop "$wm"; fi; rm -f inner.pid' EXIT
  trap 'exit 130' INT TERM

  XDG_CONFIG_HOME=$PWD/wm-config XDG_CACHE_HOME=$PWD/wm-config openbox --sm-disable >openbox.log 2>&1 &
  wm=$!
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
  done
  xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || { echo "openbox did not start" >&2; exit 1; }

  IFS=, read -r -a chosen <<<"$MEDIUM_BENCH_MODELS"
  for model in "${chosen[@]}"; do
    for ((i = 1; i <= MEDIUM_BENCH_RUNS; i++)); do
      tag=$model-$i
      "$py" "$here/medium.py" --model "$model" --image "$MEDIUM_BENCH_ISO" --log "$tag.reads.tsv" \
        "$MEDIUM_BENCH_DISC" "$mnt" >"$tag.medium.log" 2>&1 &
      daemon=$!
      for _ in $(seq 300); do
        mountpoint -q "$mnt" && break
        kill -0 "$daemon" 2>/dev/null || break
        sleep 0.1
      done
      if ! mountpoint -q "$mnt"; then
        echo "$tag: the medium was not mounted: $(tail -3 "$tag.medium.log")"
        cleanup
        continue
      fi
      # A cold start: nothing the daemon reads from the host's disk is in its page cache either.
      timeout 120 sync
      echo 3 2>/dev/null >/proc/sys/vm/drop_caches || echo "$tag: the host's page cache could not be dropped"
      shots=()
      [ "$i" = 1 ] && shots=(--shots "$PWD/$tag")
      # In the background, so that a signal to this script is acted on at once.
      timeout --foreground -k 10 "$(run_limit "$model")" "$py" "$here/drive.py" --disc "$mnt" \
        --cue "$PWD/$tag.cue" --marks "$tag.marks.json" --timeout "$(step_timeout "$model")" \
        --pgid pgid --log "$tag.menu.log" "${shots[@]}" &
      driver=$!
      wait "$driver" || [ -s "$tag.marks.json" ] ||
        echo '{"status": "failed: the driver did not finish"}' >"$tag.marks.json"
      driver=''
      cleanup
      echo "$tag: $("$py" "$here/summary.py" --run "$tag.marks.json")"
    done
  done
  "$py" "$here/summary.py" "$PWD" "${chosen[@]}"
  exit 0
fi

runs=5 models=cd,dvd,usb,none disc='' iso=''
usage() {
  echo "usage: $0 [--runs N] [--models cd,dvd,usb,none] [--disc DIR --iso IMG]" >&2
  exit 2
}
while [ $# -gt 0 ]; do
  [ $# -ge 2 ] || usage
  case $1 in
  --runs) runs=$2 ;;
  --models) models=$2 ;;
  --disc) disc=$(realpath "$2") ;;
  --iso) iso=$(realpath "$2") ;;
  *) usage ;;
  esac
  shift 2
done
[[ $runs =~ ^[1-9][0-9]*$ ]] || usage
[[ $models =~ ^(cd|dvd|usb|none)(,(cd|dvd|usb|none))*$ ]] || usage
{ [ -z "$disc" ] && [ -z "$iso" ]; } || { [ -n "$disc" ] && [ -n "$iso" ]; } || usage
[ "$(id -u)" = 0 ] || { echo "run.sh: mounting and dropping the page cache need root" >&2; exit 1; }
for tool in xvfb-run openbox xprop xorriso mountpoint; do
  command -v $tool >/dev/null || { echo "run.sh: $tool is missing" >&2; exit 1; }
done
"$py" -c 'import fusepy' 2>/dev/null || "$py" -c 'import fuse' || { echo "run.sh: no fusepy for $py" >&2; exit 1; }

work=$(mktemp -d /tmp/medium-bench.XXXXXX)
echo "work folder (every run's logs, kept): $work"
if [ -z "$disc" ]; then
  echo "making the sample disc (scripts/make-disc: a Release build and the image)..."
  timeout 3600 "$top/scripts/make-disc" --iso "$work/disc.iso" "$top/sample-disc" "$work/disc" \
    >"$work/make-disc.log" 2>&1 || { echo "make-disc failed: see $work/make-disc.log" >&2; exit 1; }
  disc=$work/disc iso=$work/disc.iso
fi
if [ ! -f "$disc/autorun.sh" ] || [ ! -f "$iso" ]; then
  echo "run.sh: no made disc at $disc with its image $iso" >&2
  exit 1
fi

limit=60
IFS=, read -r -a list <<<"$models"
for m in "${list[@]}"; do limit=$((limit + runs * ($(run_limit "$m") + 20))); done
export MEDIUM_BENCH_INNER=1 MEDIUM_BENCH_WORK=$work MEDIUM_BENCH_DISC=$disc MEDIUM_BENCH_ISO=$iso \
  MEDIUM_BENCH_RUNS=$runs MEDIUM_BENCH_MODELS=$models
# timeout leads a process group of its own, out of reach of the terminal's Ctrl-C: it is passed on
# to the inner run, which ends what it started, and xvfb-run then ends its X server.
timeout -k 20 "$limit" xvfb-run -n $((1000 + RANDOM % 8000)) -a -s "-screen 0 1024x768x24 -noreset" "$0" &
inner=$!
trap 'kill -TERM "$(cat "$work/inner.pid" 2>/dev/null)" 2>/dev/null || kill -TERM $inner 2>/dev/null' INT TERM
status=0
wait $inner || status=$?
while kill -0 $inner 2>/dev/null; do wait $inner || status=$?; done
[ "$status" -le 128 ] || echo "interrupted"
echo "work folder: $work"
exit $status
