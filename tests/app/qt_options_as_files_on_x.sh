#!/usr/bin/env bash
# Files whose names are Qt's own options ("quova *" in a folder holding
# "-platform" and "offscreen") are the program's files: started on an X
# server with them, the program opens them one after the other in a window
# of its own there, the last one playing, where Qt, handed those words, would
# have run without a screen.
set -euo pipefail
quova="$1"

source "$(dirname "$0")/x_session.sh"

mkdir -p "$work/films"
gst-launch-1.0 -q videotestsrc num-buffers=50 \
    ! video/x-raw,width=160,height=120,framerate=25/1 ! jpegenc ! avimux \
    ! filesink location="$work/films/-platform" >/dev/null
cp "$work/films/-platform" "$work/films/offscreen"

cd "$work/films"
"$quova" -platform offscreen >"$work/quova.log" 2>&1 &
player=$!
wait_for_window '^Quova - offscreen$' "$work/quova.log" "no window playing the file offscreen on the X server"
stop_player || { echo "FAIL: the program did not end cleanly"; cat "$work/quova.log"; exit 1; }
echo "PASS: -platform and offscreen were taken as files"
