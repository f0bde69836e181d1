#!/usr/bin/env bash
# Plays a clip on an X server for 40 seconds, kills the program outright
# (kill -9, as a crash or a power loss would end it), and checks that the
# session bookmark beside the program names the clip at a position within
# 30 seconds of where it was.
set -euo pipefail
quova="$1"

work=$(mktemp -d)
cleanup() {
    [[ -n "${player:-}" ]] && kill -9 "$player" 2>/dev/null || true
    [[ -n "${xserver:-}" ]] && kill "$xserver" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A copy of the program in a folder of its own: its session bookmark goes
# beside it there.
mkdir -p "$work/bin"
cp "$quova" "$work/bin/quova"
clip="$work/clip.avi"
gst-launch-1.0 -q videotestsrc num-buffers=1750 \
    ! video/x-raw,width=160,height=120,framerate=25/1 ! jpegenc ! avimux \
    ! filesink location="$clip" >/dev/null

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xserver=$!
for _ in $(seq 100); do [[ -s "$work/display" ]] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" XDG_DATA_HOME="$work/data"
export XDG_STATE_HOME="$work/state"
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/quova" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS

"$work/bin/quova" "$clip" >"$work/quova.log" 2>&1 &
player=$!
for _ in $(seq 100); do
    xdotool search --name "^Quova - clip.avi\$" >/dev/null 2>&1 && break
    sleep 0.2
done
sleep 40
kill -9 "$player"
wait "$player" 2>/dev/null || true
player=

bookmark="$work/bin/quova.mpk"
if [[ ! -f "$bookmark" ]]; then
    echo "FAIL: no session bookmark beside the program after the kill"
    cat "$work/quova.log"
    exit 1
fi
mapfile -t lines < <(tr -d '\r' <"$bookmark")
if [[ "${lines[0]}" != "Quova1.1MovieBookmark" || "${lines[2]}" != "$clip" ]]; then
    echo "FAIL: the session bookmark does not name the clip:"
    cat "$bookmark"
    exit 1
fi
position=${lines[3]}
if ((position < 10000 || position > 41000)); then
    echo "FAIL: the session bookmark is at ${position} ms, not within 30 s of 40 s"
    exit 1
fi
echo "1 passed, 0 failed (session bookmark at ${position} ms)"
