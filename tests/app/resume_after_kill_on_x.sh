#!/usr/bin/env bash
# Plays a 40 s Matroska clip with two sound tracks and two subtitle tracks on
# an X server, turns the second sound track off, and kills the program
# outright (kill -9) 12 s in. The store of places to resume must then hold
# the clip at 7 to 12 s with the sound track heard and the subtitle track
# shown. Started again on the clip, the program resumes there without being
# asked, shows the offer to start over over the picture, and takes it away
# by itself some seconds later.
set -euo pipefail
quova="$1"

source "$(dirname "$0")/x_session.sh"

clip="$work/film.mkv"
printf '1\r\n00:00:01,000 --> 00:00:39,000\r\nfirst\r\n\r\n' >"$work/one.srt"
printf '1\r\n00:00:01,000 --> 00:00:39,000\r\nsecond\r\n\r\n' >"$work/two.srt"
gst-launch-1.0 -q matroskamux name=m ! filesink location="$clip" \
    videotestsrc num-buffers=1000 pattern=solid-color foreground-color=0xff000090 \
    ! video/x-raw,width=320,height=240,framerate=25/1 ! jpegenc ! m. \
    audiotestsrc num-buffers=1723 freq=440 ! audio/x-raw,rate=44100,channels=1 ! m.audio_%u \
    audiotestsrc num-buffers=1723 freq=880 ! audio/x-raw,rate=44100,channels=1 ! m.audio_%u \
    filesrc location="$work/one.srt" ! subparse ! m.subtitle_%u \
    filesrc location="$work/two.srt" ! subparse ! m.subtitle_%u >/dev/null
rm "$work/one.srt" "$work/two.srt"

export LC_ALL=C.UTF-8  # the English menu template applies
mkdir -p "$XDG_CONFIG_HOME/quova"
printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Dorvane\\Quova]\n"osd"="0"\n' \
    >"$XDG_CONFIG_HOME/quova/registry.reg"
# F7 turns the second sound track off.
printf '"STream21","Stream &2","F7",""\r\n' >"$work/bin/quova.en.mnu"
bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS=$(head -1 <<<"$bus")
buspid=$(sed -n 2p <<<"$bus")
on_cleanup='kill "$buspid" 2>/dev/null || true'

fail() {
    echo "FAIL: $1"
    cat "$work/quova.log"
    exit 1
}

position_ms() {
    local reply
    reply=$(dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.quova \
        /org/mpris/MediaPlayer2 org.freedesktop.DBus.Properties.Get \
        string:org.mpris.MediaPlayer2.Player string:Position) || return 1
    echo $(($(grep -o 'int64 [0-9]*' <<<"$reply" | cut -d' ' -f2) / 1000))
}

"$work/bin/quova" "$clip" >"$work/quova.log" 2>&1 &
player=$!
wait_for_window "^Quova - film.mkv\$" "$work/quova.log" "no window captioned with the clip's name"
await_mpris_status Playing || fail "the clip does not play"
sleep 3
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --window "$window" F7
# Kill at 12 s of the clip, as the player counts it.
for _ in $(seq 200); do
    at=$(position_ms || echo 0)
    ((at >= 12000)) && break
    sleep 0.05
done
((at >= 12000 && at < 13000)) || fail "the clip never reached 12 s (at ${at} ms)"
kill -9 "$player"
wait "$player" 2>/dev/null || true
player=

store="$XDG_STATE_HOME/quova/resume.db"
[[ -f "$store" ]] || fail "no store of places to resume in $XDG_STATE_HOME/quova"
read -r position audio subtitle < <(python3 - "$store" "$clip" <<'PY'
import sqlite3, sys
rows = sqlite3.connect(sys.argv[1]).execute(
    "SELECT position, audio, subtitle FROM resume WHERE name = ?", (sys.argv[2],)).fetchall()
print(*(rows[0] if rows else (-1, -1, -1)))
PY
)
python3 -c "import sys; sys.exit(0 if 7.0 <= $position <= 12.0 else 1)" ||
    fail "the place kept before the kill is ${position} s, not 7 to 12 s"
[[ "$audio" == 1 ]] || fail "the sound tracks kept are ${audio}, not the first alone (1)"
[[ "$subtitle" == 0 ]] || fail "the subtitle track kept is ${subtitle}, not the first (0)"

# The offer: dark grey (not the black around the picture) with white text,
# over the lower left of the window.
prompt_pixels() {
    xwd -id "$window" -silent >"$work/shot.xwd" 2>/dev/null || { echo 0; return; }
    PYTHONPATH="$(dirname "$0")" python3 - "$work/shot.xwd" <<'PY'
import sys
from xwd import Shot
shot = Shot(sys.argv[1])
n = 0
for y in range(shot.height // 2, shot.height):
    for x in range(0, shot.width // 2):
        r, g, b = shot.rgb(x, y)
        if 15 <= max(r, g, b) <= 70 and max(r, g, b) - min(r, g, b) < 12:
            n += 1
print(n)
PY
}

"$work/bin/quova" "$clip" >"$work/second.log" 2>&1 &
player=$!
wait_for_window "^Quova - film.mkv\$" "$work/second.log" "the clip did not open again"
await_mpris_status Playing || fail "the clip does not play again"
resumed=$(position_ms) || fail "the player is not on the session bus"
# Kept at 7 to 12 s; the open and the bus's answer take some time more.
((resumed >= 7000 && resumed <= 14000)) || fail "resumed at ${resumed} ms, not 7 to 12 s"
shown=0
for _ in $(seq 30); do
    shown=$(prompt_pixels)
    ((shown > 400)) && break
    sleep 0.1
done
((shown > 400)) || fail "no offer over the picture (${shown} dark grey pixels)"
sleep 9
gone=$(prompt_pixels)
((gone < 50)) || fail "the offer is still over the picture 9 s later (${gone} pixels)"
stop_player || true
echo "1 passed, 0 failed (kept at ${position} s, resumed at ${resumed} ms, offer of ${shown} pixels)"
