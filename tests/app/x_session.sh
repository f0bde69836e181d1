# Sourced by the scripts that start the real program on an X server: a
# scratch folder $work, an Xvfb of its own on $DISPLAY, private XDG folders,
# and a clean-up that ends the player ($player) and the server, runs
# $on_cleanup, and keeps the script's exit status.
work=$(mktemp -d)
cleanup() {
    local status=$?
    # A script's own clean-up, set in $on_cleanup.
    [[ -n "${on_cleanup:-}" ]] && eval "$on_cleanup"
    [[ -n "${player:-}" ]] && kill -9 "$player" 2>/dev/null || true
    [[ -n "${xserver:-}" ]] && kill "$xserver" 2>/dev/null || true
    rm -rf "$work"
    # A test writes only into its own folders, never beside the built program.
    if [[ -n "${built_folder:-}" && "$(ls -A "$built_folder")" != "$built_before" ]]; then
        echo "FAIL: the test wrote into $built_folder:"
        diff <(echo "$built_before") <(ls -A "$built_folder") || true
        exit 1
    fi
    exit "$status"
}
trap cleanup EXIT

# The program runs from a copy in $work/bin with the build's shared files
# beside it, as an installed one would: what it writes beside itself (its
# session bookmark) stays in $work instead of the build tree.
if [[ -n "${quova:-}" ]]; then
    built_folder=$(dirname "$quova")
    built_before=$(ls -A "$built_folder")
    mkdir -p "$work/bin"
    cp "$quova" "$work/bin/quova"
    shared="$(dirname "$quova")/../share"
    [[ -d "$shared" ]] && ln -s "$(cd "$shared" && pwd)" "$work/share"
    quova="$work/bin/quova"
fi

# Starts Xvfb on the first free display and sets $xserver and $DISPLAY once a
# client can connect. Tests run side by side, and two servers choosing a
# display at the same moment can leave one of them unreachable, so servers
# start one at a time (a lock shared by every test) and a server no client
# can reach is replaced. The server never resets: by default it resets when
# its last client leaves, and the probe below is a client that leaves just
# before the player connects.
start_x_server() {
    exec 9>"${TMPDIR:-/tmp}/quova-xvfb-start.lock"
    flock -w 120 9 || true
    local attempt
    for attempt in 1 2 3; do
        : >"$work/display"
        # The lock's descriptor stays out of the server, or it would hold
        # the lock for as long as it runs.
        Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
            3>"$work/display" 9>&- >>"$work/xvfb.log" 2>&1 &
        xserver=$!
        for _ in $(seq 100); do
            [[ -s "$work/display" ]] && break
            kill -0 "$xserver" 2>/dev/null || break
            sleep 0.1
        done
        DISPLAY=":$(cat "$work/display")"
        if [[ -s "$work/display" ]] && xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
            export DISPLAY
            exec 9>&-
            return 0
        fi
        echo "Xvfb on $DISPLAY answered no client (attempt $attempt)" >>"$work/xvfb.log"
        kill "$xserver" 2>/dev/null || true
        wait "$xserver" 2>/dev/null || true
        xserver=
    done
    exec 9>&-
    echo "FAIL: no X server could be started"
    cat "$work/xvfb.log"
    exit 1
}
start_x_server
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" XDG_DATA_HOME="$work/data" \
    XDG_STATE_HOME="$work/state"
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
    echo "--- the X server ($DISPLAY):"
    cat "$work/xvfb.log"
    x_server_state
    exit 1
}

# What a failing test knows of its X server: whether it still runs and takes
# clients, and who holds the display sockets.
x_server_state() {
    local alive=no answers=no
    [[ -n "${xserver:-}" ]] && kill -0 "$xserver" 2>/dev/null && alive=yes
    xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && answers=yes
    echo "server $xserver running: $alive; takes a client now: $answers"
    ls -la /tmp/.X11-unix/ 2>&1 | head -20
    for lock in /tmp/.X*-lock; do [[ -e "$lock" ]] && echo "$lock: $(tr -d ' ' <"$lock")"; done
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
