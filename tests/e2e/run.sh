#!/usr/bin/env bash
# Runs one end-to-end case in a private X server with a 1024 x 768 screen, or the size given:
#   run.sh CASE.py TELVARO_EXE SOURCE_DIR [WIDTHxHEIGHT]
# The case itself starts the openbox window manager on that screen (see e2elib.py), unless it is
# the one that asks for none.
# Everything is bounded in time, so a stuck program or server fails the test instead of hanging it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
case_script=$1 exe=$2 src=$3 screen=${4:-1024x768}

for tool in xvfb-run xdotool xwininfo xprop import openbox; do
  if ! command -v "$tool" >/dev/null; then
    echo "e2e: $tool is missing (scripts/install-deps installs it)" >&2
    exit 1
  fi
done

runtime=$(mktemp -d)
chmod 700 "$runtime"
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR=$runtime
export TELVARO_AUDIO_SINK="fakesink sync=true"
# No desktop session of the developer's may leak in.
unset WAYLAND_DISPLAY QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS
export PYTHONDONTWRITEBYTECODE=1

# Without -noreset the server resets whenever its last client leaves (a screenshot tool, a killed
# menu), and a program connecting during that reset is turned away.
# Several X servers may run on one machine: start the search for a free display number at a
# random place, away from the crowded first numbers, so that two runs rarely even try the same.
timeout -k 10 240 xvfb-run -n $((1000 + RANDOM % 8000)) -a -s "-screen 0 ${screen}x24 -noreset" \
  python3 "$here/$case_script" "$exe" "$src"
