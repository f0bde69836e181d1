#!/usr/bin/env bash
# Plays a clip on an X server for 40 seconds, kills the program outright
# (kill -9, as a crash or a power loss would end it), and checks that the
# session bookmark beside the program names the clip at a position within
# 30 seconds of where it was. Then starts the program again, restores the
# session bookmark through its menu item (a menu template gives it F9) and
# asks the player on its own session bus where it is.
set -euo pipefail
quova="$1"

source "$(dirname "$0")/x_session.sh"

# x_session.sh runs a copy of the program in $work/bin: its session
# bookmark goes beside it there.
clip="$work/clip.avi"
gst-launch-1.0 -q videotestsrc num-buffers=1750 \
    ! video/x-raw,width=160,height=120,framerate=25/1 ! jpegenc ! avimux \
    ! filesink location="$clip" >/dev/null

export XDG_STATE_HOME="$work/state"
export LC_ALL=C.UTF-8  # the English menu template applies
mkdir -p "$XDG_CONFIG_HOME/quova"
printf '"RestoreSessionBookmark1","Restore Session Bookmark","F9",""\r\n' >"$work/bin/quova.en.mnu"
bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS=$(head -1 <<<"$bus")
buspid=$(sed -n 2p <<<"$bus")
on_cleanup='kill "$buspid" 2>/dev/null || true'

"$work/bin/quova" "$clip" >"$work/quova.log" 2>&1 &
player=$!
wait_for_window "^Quova - clip.avi\$" "$work/quova.log" "no window captioned with the clip's name"
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

"$work/bin/quova" >"$work/second.log" 2>&1 &
player=$!
press_in_idle_window F9 "$work/second.log"
wait_for_window "^Quova - clip.avi\$" "$work/second.log" "restoring the session did not open the clip"
sleep 1
reply=$(dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.quova /org/mpris/MediaPlayer2 \
    org.freedesktop.DBus.Properties.Get string:org.mpris.MediaPlayer2.Player string:Position) ||
    { echo "FAIL: the player is not on the session bus"; exit 1; }
restored=$(grep -o 'int64 [0-9]*' <<<"$reply" | cut -d' ' -f2)
restored=$((restored / 1000))
if ((restored < 10000 || restored > 45000)); then
    echo "FAIL: restored at ${restored} ms, not within 30 s of 40 s (bookmark ${position} ms)"
    exit 1
fi
echo "1 passed, 0 failed (session bookmark at ${position} ms, restored at ${restored} ms)"
