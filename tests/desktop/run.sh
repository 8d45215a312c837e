#!/usr/bin/env bash
# Runs the real-desktop tests: a private X server with a window manager, a private session
# bus with the accessibility bus, real key presses through XTest, and an AT-SPI client.
# Usage: run.sh QUILLARY_EXECUTABLE [unittest arguments...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export QUILLARY_EXECUTABLE=$1
shift
# English texts, whatever the user's language.
export LC_ALL=C.UTF-8
unset LANGUAGE

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# The server picks a free display and writes its number once it accepts connections.
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5> "$work/display" 2> "$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || { cat "$work/xvfb.log"; echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat "$work/display")"

mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
export QT_QPA_PLATFORM=xcb
unset QT_ACCESSIBILITY QT_LINUX_ACCESSIBILITY_ALWAYS_ON

openbox --sm-disable > "$work/openbox.log" 2>&1 &
pids+=($!)

# dbus-run-session gives the tests a session bus of their own; the accessibility bus is
# started on demand through it.
cd "$here"
dbus-run-session -- /usr/bin/python3 -m unittest -v "$@" test_desktop
