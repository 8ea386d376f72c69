#!/usr/bin/env bash
# The bundle test: the disc that scripts/make-disc makes, started in a minimal Debian root.
#   run.sh TELVARO_CHECK_EXE SOURCE_DIR
# It needs root (mmdebstrap, mounts, chroot); without it the test is skipped. The root is made
# once and kept under /var/cache/telvaro-bundle-test (TELVARO_BUNDLE_CACHE elsewhere).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
checker=$1 src=$2

if [ "$(id -u)" -ne 0 ]; then
  echo "bundle: skipped, it needs root for the minimal root's chroot and mounts"
  exit 77
fi
source "$here/../support/xserver.sh"
require_tools bundle mmdebstrap xorriso patchelf unshare chroot xvfb-run xdotool xwininfo import convert openbox sox lame readelf sway swaymsg grim setpriv

in_xserver 2700 1024x768 python3 "$here/test_bundle.py" "$checker" "$src"
