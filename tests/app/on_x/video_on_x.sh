#!/usr/bin/env bash
# Runs the picture checks on an Xvfb server, with the video output given
# (image, gl); any other argument is passed to the test program.
set -euo pipefail
program="$1"
output="$2"
shift 2

work=$(mktemp -d)
cleanup() {
    [[ -n "${xserver:-}" ]] && kill "$xserver" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xserver=$!
for _ in $(seq 100); do [[ -s "$work/display" ]] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" XDG_DATA_HOME="$work/data"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb QUOVA_VIDEO_OUTPUT="$output"
"$program" "$@"
