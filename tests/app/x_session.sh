# Sourced by the scripts that start the real program on an X server: a
# scratch folder $work, an Xvfb of its own on $DISPLAY, private XDG folders,
# and a clean-up that ends the player ($player) and the server.
work=$(mktemp -d)
cleanup() {
    [[ -n "${player:-}" ]] && kill -9 "$player" 2>/dev/null || true
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
unset QT_QPA_PLATFORM

# Waits for the player's idle window ("Quova"), lets the splash close, and
# presses `key` in it; `log` is shown when no window comes. Sets $window.
press_in_idle_window() {
    local key=$1 log=$2
    window=
    for _ in $(seq 100); do
        window=$(xdotool search --onlyvisible --name '^Quova$' 2>/dev/null | head -1) || true
        [[ -n "$window" ]] && break
        sleep 0.2
    done
    [[ -n "$window" ]] || { echo "FAIL: the main window never showed"; cat "$log"; exit 1; }
    sleep 4  # the splash closes by itself
    xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
    xdotool key --window "$window" "$key"
}

# The player's PlaybackStatus on the session bus (Playing, Paused, Stopped).
mpris_status() {
    dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.quova /org/mpris/MediaPlayer2 \
        org.freedesktop.DBus.Properties.Get string:org.mpris.MediaPlayer2.Player \
        string:PlaybackStatus 2>/dev/null | grep -o '"[A-Za-z]*"' | tr -d '"' || true
}
# Waits up to 5 s for the status `$1`.
await_mpris_status() {
    for _ in $(seq 50); do
        [[ "$(mpris_status)" == "$1" ]] && return 0
        sleep 0.1
    done
    return 1
}
