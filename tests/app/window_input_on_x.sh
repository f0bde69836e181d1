#!/usr/bin/env bash
# The real program on an X server, driven with xdotool: the window follows a
# mouse drag, the pointer at the bottom edge brings up the control bar, Space
# pauses and resumes (seen on the desktop's media-player bus), and the wheel
# changes the volume shown on the OSD.
set -euo pipefail
# A private session bus of its own, where the player's state can be asked.
if [[ -z "${QUOVA_OWN_BUS:-}" ]] && command -v dbus-run-session >/dev/null; then
    QUOVA_OWN_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi
quova="$1"

source "$(dirname "$0")/x_session.sh"
fail() {
    echo "FAIL: $*"
    cat "$work/quova.log" 2>/dev/null || true
    exit 1
}

# The program where the build put it, finding the shipped English template in
# the build's share/quova as `scripts/run` and an installed copy do.
# A long tone: the window stays black, so what changes on it is the controls.
clip="$work/tone.wav"
gst-launch-1.0 -q audiotestsrc num-buffers=2000 volume=0.1 ! wavenc ! filesink location="$clip" \
    >/dev/null 2>&1 || fail "cannot make the test tone"
export LC_ALL=C
# The OSD on, so that the wheel's volume message can be seen.
mkdir -p "$XDG_CONFIG_HOME/quova"
printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Dorvane\\Quova]\n"osd"="1"\n' \
    >"$XDG_CONFIG_HOME/quova/registry.reg"

"$quova" "$clip" >"$work/quova.log" 2>&1 &
player=$!

wait_for_window "^Quova - tone.wav\$" "$work/quova.log" "no window captioned with the clip's name"
# The splash goes at once for a command-line medium; let the window settle.
sleep 2

geometry() {
    eval "$(xdotool getwindowgeometry --shell "$window")"
    echo "$X $Y $WIDTH $HEIGHT"
}
read -r x0 y0 w h < <(geometry)

# Drag: press in the middle, move 100 right and 50 down, release.
xdotool mousemove $((x0 + w / 2)) $((y0 + h / 2))
sleep 0.3
xdotool mousedown 1
for step in 1 2 3 4 5; do
    xdotool mousemove $((x0 + w / 2 + step * 20)) $((y0 + h / 2 + step * 10))
    sleep 0.1
done
xdotool mouseup 1
sleep 0.5
read -r x1 y1 _ _ < <(geometry)
[[ $((x1 - x0)) -eq 100 && $((y1 - y0)) -eq 50 ]] ||
    fail "dragged by 100,50 but the window moved from $x0,$y0 to $x1,$y1"

# The bottom edge: the control bar appears; away from it, it goes again.
bottom_strip() {
    xwd -id "$window" -silent >"$work/shot.xwd"
    PYTHONPATH="$(dirname "$0")" python3 - "$work/shot.xwd" <<'PY'
import hashlib, sys
from xwd import Shot
shot = Shot(sys.argv[1])
rows = range(shot.height - 20, shot.height)
print(hashlib.md5(bytes(c for y in rows for x in range(shot.width) for c in shot.rgb(x, y))).hexdigest())
PY
}
xdotool mousemove $((x1 + w / 2)) $((y1 + h / 2))
sleep 0.5
plain=$(bottom_strip)
xdotool mousemove $((x1 + w / 2)) $((y1 + h - 5))
sleep 0.8
shown=$(bottom_strip)
[[ "$shown" != "$plain" ]] || fail "the pointer at the bottom edge did not show the control bar"
xdotool mousemove $((x1 + w / 2)) $((y1 + h / 2))
sleep 0.8
[[ "$(bottom_strip)" == "$plain" ]] || fail "the control bar stayed after the pointer left"

# Space pauses and resumes the playing file.
if [[ -n "${QUOVA_OWN_BUS:-}" ]]; then
    await_mpris_status Playing || fail "the player does not report playing (it says '$(mpris_status)')"
    xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
    xdotool key space
    await_mpris_status Paused || fail "Space did not pause (the player says '$(mpris_status)')"
    xdotool key space
    await_mpris_status Playing || fail "Space did not resume (the player says '$(mpris_status)')"
fi

# The OSD message at the left of the top band: its green pixel count and a
# digest of its pixels.
osd_message() {
    xwd -id "$window" -silent >"$work/osd.xwd"
    PYTHONPATH="$(dirname "$0")" python3 - "$work/osd.xwd" <<'PY'
import hashlib, sys
from xwd import Shot
shot = Shot(sys.argv[1])
lit = bytes(shot.rgb(x, y)[1] > 128 for y in range(16) for x in range(shot.width // 3))
print(sum(lit), hashlib.md5(lit).hexdigest())
PY
}

# The wheel: three notches up from the stored 50 %, each shown on the OSD.
# Each notch is two steps from the setting, never from the level the graph
# would read back truncated (52 % reads back as 51 %): 52, 54 and 56 %.
xdotool mousemove $((x1 + w / 2)) $((y1 + h / 2))
read -r _ before < <(osd_message)
shots=()
for _ in 1 2 3; do
    xdotool click 4
    sleep 0.3
    read -r green digest < <(osd_message)
    [[ "$green" -ge 20 ]] || fail "no OSD message after a wheel notch ($green green pixels)"
    shots+=("$digest")
done
[[ "${shots[0]}" != "$before" ]] || fail "the OSD did not change with the wheel"
[[ "${shots[0]}" != "${shots[1]}" && "${shots[1]}" != "${shots[2]}" ]] ||
    fail "the OSD message did not follow each wheel notch"
sleep 0.5

stop_player || true
store="$XDG_CONFIG_HOME/quova/registry.reg"
volume=$(sed -n 's/^"volume"="\([0-9]*\)".*/\1/p' "$store")
[[ "$volume" == 56 ]] || fail "three wheel notches from 50 % left the volume at '${volume}'"
echo "1 passed, 0 failed"
