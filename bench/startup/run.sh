#!/usr/bin/env bash
# Start-up speed, idle memory and the first click of the menu on the sample disc, in a private X
# server:
#   bench/startup/run.sh [BUILD_DIR] [RUNS] [BASELINE_BUILD_DIR]
# BUILD_DIR defaults to build/bench (configured here as Release when missing). Each run starts
# the program, waits for its window, and reports the time from exec to the window's mapping and
# to its first complete paint, the resident memory once idle, and then the time from a press on
# the Video button to the first bytes of its click sound. The first run warms the file cache and
# is shown apart; the medians are over the warm runs. A bare Qt window of the same size is
# measured the same way, as the yardstick. With BASELINE_BUILD_DIR (an already built tree of
# another version) that menu is measured too; the programs take turns within each run, so a
# machine busy with other work weighs on all of them alike. With TELVARO_BENCH_DISC=DIR (a disc
# made by scripts/make-disc), that disc is measured too, started as a person starts it: through
# its autorun.sh, with the bundle's own libraries. Prints; asserts nothing.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${1:-$top/build/bench}")
runs=${2:-7}
baseline=${3:+$(realpath -m "$3")}
video_button=380,40 # inside the Video button of the sample disc's map

if [ "${TELVARO_BENCH_INNER:-}" = 1 ]; then
  names=("bare Qt window")
  [ -n "$baseline" ] && names+=("baseline telvaro")
  names+=("telvaro on the sample disc")
  [ -n "${TELVARO_BENCH_DISC:-}" ] && names+=("made disc through autorun.sh")
  probe=$build/bench/startup/bench_startup_probe
  cue=$(mktemp -u)
  kept=$(mktemp)
  declare -A lines
  for ((i = 0; i <= runs; i++)); do
    for name in "${names[@]}"; do
      case $name in
      bare*) cmd=("$build/bench/startup/bench_startup_bare") ;;
      baseline*) cmd=(--click $video_button --cue "$cue" "$baseline/src/main/telvaro" "$top/sample-disc") ;;
      made*) cmd=(--click $video_button --cue "$cue" /bin/sh "$TELVARO_BENCH_DISC/autorun.sh") ;;
      *) cmd=(--click $video_button --cue "$cue" "$build/src/main/telvaro" "$top/sample-disc") ;;
      esac
      line=$(cd "$top/sample-disc" && TELVARO_AUDIO_SINK="filesink sync=true location=$cue" \
        timeout 30 "$probe" "${cmd[@]}") || line="failed"
      if [ "$i" = 0 ]; then
        echo "$name, first (cold) run: $line"
      else
        lines[$name]+="$line"$'\n'
      fi
    done
  done
  for name in "${names[@]}"; do
    printf '%s' "${lines[$name]}" | python3 "$top/bench/startup/summary.py" "$name" "$kept"
  done
  python3 "$top/bench/startup/summary.py" --ratios "$kept" || true
  rm -f "$kept" "$cue"
  exit 0
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTELVARO_TESTS=OFF -DTELVARO_BENCH=ON >/dev/null
fi
cmake --build "$build" -j2 --target telvaro bench_startup_probe bench_startup_bare >/dev/null
echo "build: $(grep -E '^CMAKE_BUILD_TYPE:' "$build/CMakeCache.txt" | cut -d= -f2), $runs warm runs each"

runtime=$(mktemp -d)
chmod 700 "$runtime"
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR=$runtime
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
export TELVARO_BENCH_INNER=1
timeout -k 10 1200 xvfb-run -n $((1000 + RANDOM % 8000)) -a -s "-screen 0 1024x768x24 -noreset" \
  "$0" "$build" "$runs" "$baseline"
