#!/usr/bin/env bash
# Start-up speed and idle memory of the menu on the sample disc, in a private X server:
#   bench/startup/run.sh [BUILD_DIR] [RUNS]
# BUILD_DIR defaults to build/bench (configured here as Release when missing). Each run starts
# the program, waits for its window, and reports the time from exec to the window's mapping and
# to its first complete paint, and the resident memory once idle. The first run warms the file
# cache and is shown apart; the medians are over the warm runs. A bare Qt window of the same size
# is measured the same way, as the yardstick. Prints; asserts nothing.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${1:-$top/build/bench}")
runs=${2:-7}

if [ "${TELVARO_BENCH_INNER:-}" = 1 ]; then
  summarize() {
    local name=$1; shift
    local lines=()
    for ((i = 0; i <= runs; i++)); do
      line=$(cd "$top/sample-disc" && timeout 30 "$build/bench/startup/bench_startup_probe" "$@") || line="failed"
      if [ "$i" = 0 ]; then
        echo "$name, first (cold) run: $line"
      else
        lines+=("$line")
      fi
    done
    printf '%s\n' "${lines[@]}" | python3 "$top/bench/startup/summary.py" "$name" "$kept"
  }
  kept=$(mktemp)
  summarize "bare Qt window" "$build/bench/startup/bench_startup_bare"
  summarize "telvaro on the sample disc" "$build/src/main/telvaro" "$top/sample-disc"
  python3 "$top/bench/startup/summary.py" --ratios "$kept" || true
  rm -f "$kept"
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
export TELVARO_AUDIO_SINK="fakesink sync=true"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
export TELVARO_BENCH_INNER=1
timeout -k 10 600 xvfb-run -n $((1000 + RANDOM % 8000)) -a -s "-screen 0 1024x768x24 -noreset" \
  "$0" "$build" "$runs"
