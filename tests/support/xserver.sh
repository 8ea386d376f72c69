# Sourced by the run.sh of the tests that start the menu in an X server of their own: a private
# runtime folder, none of the developer's desktop session, and the two helpers below.
runtime=$(mktemp -d)
chmod 700 "$runtime"
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR=$runtime
unset WAYLAND_DISPLAY QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS
export PYTHONDONTWRITEBYTECODE=1

# require_tools TEST TOOL...: fails the test, naming the first tool that is missing.
require_tools() {
  local test=$1 tool
  shift
  for tool; do
    command -v "$tool" >/dev/null || { echo "$test: $tool is missing (scripts/install-deps installs it)" >&2; exit 1; }
  done
}

# in_xserver SECONDS WIDTHxHEIGHT COMMAND...: Command in a private X server with one screen of that
# size, killed after Seconds, so that a stuck program or server fails the test instead of hanging
# it. Without -noreset the server resets whenever its last client leaves (a screenshot tool, a
# killed menu), and turns away a program connecting meanwhile. The search for a free display
# starts at a random number, away from the crowded first ones, so two runs rarely try the same.
in_xserver() {
  local seconds=$1 screen=$2
  shift 2
  timeout -k 10 "$seconds" xvfb-run -n $((1000 + RANDOM % 8000)) -a -s "-screen 0 ${screen}x24 -noreset" "$@"
}
