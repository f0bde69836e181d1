#!/usr/bin/env bash
# Starts the real program on an X server with the OSD on and a clip on its
# command line: a screenshot of the window must show the OSD message at the
# left and the time at the right of the black band at the top, with no
# picture under the band.
set -euo pipefail
quova="$1"
clip="$2"

source "$(dirname "$0")/x_session.sh"
mkdir -p "$XDG_CONFIG_HOME/quova"
unset DBUS_SESSION_BUS_ADDRESS
printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Dorvane\\Quova]\n"osd"="1"\n' \
    >"$XDG_CONFIG_HOME/quova/registry.reg"

"$quova" "$clip" >"$work/quova.log" 2>&1 &
player=$!

# Checks the top band of a screenshot: green text at both ends and nothing
# but black and green in it.
check_band() {
    PYTHONPATH="$(dirname "$0")" python3 - "$1" <<'PY'
import sys
from xwd import Shot
shot = Shot(sys.argv[1])
band = 16  # the OSD line of a 15-pixel font is taller than this
left = right = 0
for y in range(band):
    for x in range(shot.width):
        r, g, b = shot.rgb(x, y)
        if r > 60 or b > 60:
            sys.exit("picture colour (%d,%d,%d) at %d,%d in the OSD band" % (r, g, b, x, y))
        if g > 128:
            if x < shot.width // 3: left += 1
            elif x > shot.width * 2 // 3: right += 1
if left < 20 or right < 20:
    sys.exit("OSD text missing: %d green pixels at the left, %d at the right" % (left, right))
PY
}

status=1
for _ in $(seq 40); do
    sleep 0.5
    wid=$(xdotool search --name "^Quova - $(basename "$clip")\$" 2>/dev/null | head -1) || true
    [[ -n "$wid" ]] || continue
    xwd -id "$wid" -silent >"$work/shot.xwd" 2>/dev/null || continue
    if message=$(check_band "$work/shot.xwd" 2>&1); then status=0; break; fi
done
if [[ $status -ne 0 ]]; then
    echo "FAIL: ${message:-no window captioned with the clip name}"
    cat "$work/quova.log"
    exit 1
fi
stop_player || true
echo "1 passed, 0 failed"
