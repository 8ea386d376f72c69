#!/usr/bin/env bash
# Runs one end-to-end case in a private X server with a 1024 x 768 screen, or the size given:
#   run.sh CASE.py TELVARO_EXE TELVARO_CHECK_EXE SOURCE_DIR [WIDTHxHEIGHT]
# The case itself starts the openbox window manager on that screen (see tests/support/e2elib.py), unless it is
# the one that asks for none.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
case_script=$1 exe=$2 checker=$3 src=$4 screen=${5:-1024x768}

source "$here/../support/xserver.sh"
require_tools e2e xvfb-run xdotool xwininfo xprop import openbox
export TELVARO_AUDIO_SINK="fakesink sync=true"
# The cases import their helpers (e2elib, testdisc) from tests/support.
export PYTHONPATH="$here/../support${PYTHONPATH:+:$PYTHONPATH}"

in_xserver 240 "$screen" python3 "$here/$case_script" "$exe" "$checker" "$src"
