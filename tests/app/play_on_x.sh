#!/usr/bin/env bash
# Starts the real program on an X server with a clip on its command line, as
# the README's `scripts/run` does: the window must show moving pictures, Space
# (a key of the shipped menu template) must pause them, and a termination
# signal must end it cleanly with the settings written.
set -euo pipefail
# A private session bus of its own, where the player's state can be asked.
if [[ -z "${QUOVA_OWN_BUS:-}" ]] && command -v dbus-run-session >/dev/null; then
    QUOVA_OWN_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi
quova="$1"
clip="$2"

source "$(dirname "$0")/x_session.sh"

# A user's first start: no GStreamer program has built this user's plugin
# registry yet (a new account, a fresh install, the first start after a
# plugin update), so the player's own start builds it.
if [[ -n "${QUOVA_TEST_COLD_REGISTRY:-}" ]]; then
    export GST_REGISTRY="$work/gstreamer/registry.bin"
    [[ ! -e "$GST_REGISTRY" ]] || { echo "FAIL: the registry exists already"; exit 1; }
fi

"$quova" "$clip" >"$work/quova.log" 2>&1 &
player=$!

# The window takes the clip's name once the clip is open; then the picture moves.
wait_for_window "^Quova - $(basename "$clip")\$" "$work/quova.log" "no window captioned with the clip's name"
# Three changes in a row: the splash closing alone would give one.
moving=0
for _ in $(seq 40); do
    xwd -root -silent >"$work/a.xwd"
    sleep 0.3
    xwd -root -silent >"$work/b.xwd"
    if cmp -s "$work/a.xwd" "$work/b.xwd"; then moving=0; else moving=$((moving + 1)); fi
    [[ $moving -ge 3 ]] && break
    sleep 0.2
done
if [[ $moving -lt 3 ]]; then
    echo "FAIL: the screen never changed while the clip played"
    cat "$work/quova.log"
    exit 1
fi
if [[ -n "${QUOVA_TEST_COLD_REGISTRY:-}" && ! -s "$GST_REGISTRY" ]]; then
    echo "FAIL: the start did not build the plugin registry at $GST_REGISTRY"
    exit 1
fi

# Choosing the sink on a display without a GPU loads no GL driver (Mesa's
# software renderer and LLVM are some 50 MB the painted picture never uses).
if grep -E 'swrast_dri|libLLVM|libGLX_mesa' "/proc/$player/maps"; then
    echo "FAIL: a GL driver is loaded into the player"
    exit 1
fi

# Space pauses: the player says so, and the picture stands still.
if [[ -n "${QUOVA_OWN_BUS:-}" ]]; then
    await_mpris_status Playing || { echo "FAIL: not playing (the player says '$(mpris_status)')"; exit 1; }
    xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
    xdotool key --window "$window" space
    await_mpris_status Paused || {
        echo "FAIL: Space did not pause (the player says '$(mpris_status)')"
        cat "$work/quova.log"
        exit 1
    }
    sleep 0.5
    xwd -id "$window" -silent >"$work/a.xwd"
    sleep 0.6
    xwd -id "$window" -silent >"$work/b.xwd"
    cmp -s "$work/a.xwd" "$work/b.xwd" || { echo "FAIL: the picture still moves after Space"; exit 1; }
fi

stop_player || { echo "FAIL: exit status $? after SIGTERM"; cat "$work/quova.log"; exit 1; }
store="$XDG_CONFIG_HOME/quova/registry.reg"
grep -q '"volume"=' "$store" || { echo "FAIL: settings not written to $store"; exit 1; }
grep -qF "$(basename "$clip")" "$store" || { echo "FAIL: the clip is not among the recent files"; exit 1; }
echo "1 passed, 0 failed"
