#!/usr/bin/env bash
# Starts the real program on an X server with the VIDEO_TS.IFO of a generated
# disc on its command line: the window must show the disc's menu (a green
# picture) with the first button highlighted (yellow), and a click on the
# second button must start its title (a blue picture).
set -euo pipefail
quova="$1"
make_volume="$2"

source "$(dirname "$0")/x_session.sh"
mkdir -p "$XDG_CONFIG_HOME/quova"
unset DBUS_SESSION_BUS_ADDRESS
# The OSD's green text would read as part of the menu's picture; the whole
# picture fits the window.
printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Dorvane\\Quova]\n"osd"="0"\n"zoomtowin"="1"\n' \
    >"$XDG_CONFIG_HOME/quova/registry.reg"
"$make_volume" "$work/disc" || { echo "FAIL: the test disc could not be made"; exit 1; }

"$quova" "$work/disc/VIDEO_TS/VIDEO_TS.IFO" >"$work/quova.log" 2>&1 &
player=$!

# Prints where the second button is in the window when the menu shows with
# the first button highlighted; fails otherwise.
menu_button2() {
    PYTHONPATH="$(dirname "$0")" python3 - "$1" <<'PY'
import sys
from xwd import Shot
shot = Shot(sys.argv[1])
green = lambda r, g, b: g > 150 and r < 90 and b < 90
yellow = lambda r, g, b: r > 150 and g > 150 and b < 90
picture = shot.box(lambda r, g, b: green(r, g, b) or yellow(r, g, b))
if not picture:
    sys.exit("no menu picture")
left, top, right, bottom = picture
sx, sy = (right - left) / 720.0, (bottom - top) / 576.0
# The buttons of the generated disc on its 720x576 picture.
b1 = (96, 96, 320, 192)
b2 = (96, 320, 320, 416)
cx, cy = int(left + (b1[0] + b1[2]) / 2 * sx), int(top + (b1[1] + b1[3]) / 2 * sy)
if not yellow(*shot.rgb(cx, cy)):
    sys.exit("button 1 is not highlighted: %s at %d,%d" % (shot.rgb(cx, cy), cx, cy))
print(int(left + (b2[0] + b2[2]) / 2 * sx), int(top + (b2[1] + b2[3]) / 2 * sy))
PY
}

title2() {
    PYTHONPATH="$(dirname "$0")" python3 - "$1" <<'PY'
import sys
from xwd import Shot
shot = Shot(sys.argv[1])
blue = shot.box(lambda r, g, b: b > 150 and r < 90 and g < 90)
if not blue or blue[2] - blue[0] < shot.width // 3:
    sys.exit("title 2's blue picture is not shown")
PY
}

shoot() {
    wid=$(xdotool search --name '^Quova - DVD$' 2>/dev/null | head -1) || true
    [[ -n "$wid" ]] && xwd -id "$wid" -silent >"$work/shot.xwd" 2>/dev/null
}

at=
for _ in $(seq 120); do
    sleep 0.5
    shoot || continue
    if at=$(menu_button2 "$work/shot.xwd" 2>&1); then break; fi
    message=$at
    at=
done
[[ -n "$at" ]] || { echo "FAIL: ${message:-no window captioned Quova - DVD}"; cat "$work/quova.log"; exit 1; }
read -r x y <<<"$at"
xdotool mousemove --window "$wid" "$x" "$y"
sleep 0.3
xdotool click 1

status=1
for _ in $(seq 40); do
    sleep 0.5
    shoot || continue
    if message=$(title2 "$work/shot.xwd" 2>&1); then status=0; break; fi
done
[[ $status -eq 0 ]] || { echo "FAIL: $message after a click at $x,$y"; cat "$work/quova.log"; exit 1; }
stop_player || true
echo "1 passed, 0 failed"
