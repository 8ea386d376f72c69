#!/usr/bin/env bash
# The bundle test: the disc that scripts/make-disc makes, started in a minimal Debian root.
#   run.sh SOURCE_DIR
# It needs root (mmdebstrap, mounts, chroot); without it the test is skipped. The root is made
# once and kept under /var/cache/telvaro-bundle-test (TELVARO_BUNDLE_CACHE elsewhere).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src=$1

if [ "$(id -u)" -ne 0 ]; then
  echo "bundle: skipped, it needs root for the minimal root's chroot and mounts"
  exit 77
fi
for tool in mmdebstrap xorriso patchelf unshare chroot xvfb-run xdotool xwininfo import convert openbox sox lame readelf; do
  if ! command -v "$tool" >/dev/null; then
    echo "bundle: $tool is missing (scripts/install-deps installs it)" >&2
    exit 1
  fi
done

runtime=$(mktemp -d)
chmod 700 "$runtime"
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR=$runtime
unset WAYLAND_DISPLAY QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS
export PYTHONDONTWRITEBYTECODE=1

timeout -k 10 2700 xvfb-run -n $((1000 + RANDOM % 8000)) -a -s "-screen 0 1024x768x24 -noreset" \
  python3 "$here/test_bundle.py" "$src"
