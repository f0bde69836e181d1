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

# Waits up to 30 s for a visible window whose name matches `pattern` and sets
# $window to it; when none shows, or the player ends first, fails saying
# `what` and shows `log`.
wait_for_window() {
    local pattern=$1 log=$2 what=${3:-"no window named $1"}
    window=
    for _ in $(seq 150); do
        window=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -1) || true
        [[ -n "$window" ]] && return 0
        [[ -n "${player:-}" ]] && ! kill -0 "$player" 2>/dev/null && break
        sleep 0.2
    done
    echo "FAIL: $what"
    cat "$log"
    exit 1
}

# Ends the player ($player) with a termination signal, kills it when it is
# still there 10 s later, and clears $player. Returns the player's exit status.
stop_player() {
    local status=0
    kill -TERM "$player" 2>/dev/null || true
    for _ in $(seq 100); do
        kill -0 "$player" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$player" 2>/dev/null; then
        echo "still running 10 s after SIGTERM: killed"
        kill -9 "$player" 2>/dev/null || true
    fi
    wait "$player" || status=$?
    player=
    return "$status"
}

# Waits for the player's idle window ("Quova"), lets the splash close, and
# presses `key` in it; `log` is shown when no window comes. Sets $window.
press_in_idle_window() {
    local key=$1 log=$2
    wait_for_window '^Quova$' "$log" "the main window never showed"
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
