#!/usr/bin/env bash
# Video output cost against the peers, under Xvfb: the player's CPU plus the X
# server's over a 20 s clip, peak memory, for
#   a) 1280x720 H.264 4:2:0 at 1:1 in a 1280x720 window,
#   b) 1920x1080 H.264 shown in a 1280x720 window,
#   c) 1280x720 H.264 10-bit 4:4:4 at 1:1,
# each played by quova, `mpv --no-config --vo=x11 --hwdec=no` and playbin with
# ximagesink, in alternating rounds; prints the median of the rounds. Dropped
# frames are the 597 frames quova plays of the clip's 600 (playback starts a
# tenth of a second in) less the frames its renderer shows (its frame counts,
# logged when it goes), and mpv's own counts of frames dropped by its output
# and its decoder; playbin gives none.
#
#   bench/bench_video_output.sh build/bin/quova [rounds]
# PLAYERS="quova mpv" limits the players, CLIPS="c720 c1080" the clips.
set -euo pipefail
quova=$(realpath "$1")
rounds=${2:-3}
players=${PLAYERS:-quova mpv playbin}
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

clip() {  # name caps-format width height
    [[ -f "$work/$1.mkv" ]] && return
    gst-launch-1.0 -q videotestsrc pattern=ball motion=sweep num-buffers=600 \
        ! "video/x-raw,format=$2,width=$3,height=$4,framerate=30/1" \
        ! x264enc speed-preset=veryfast tune=zerolatency bitrate=6000 \
        ! matroskamux ! filesink location="$work/$1.mkv"
}
clip c720 I420 1280 720
clip c1080 I420 1920 1080
clip c720p10 Y444_10LE 1280 720

# mpv tells its drop counts when it ends.
cat >"$work/drops.lua" <<'LUA'
mp.register_event("shutdown", function()
    io.stderr:write(string.format("mpv dropped %d\n",
        mp.get_property_number("frame-drop-count", 0) +
        mp.get_property_number("decoder-frame-drop-count", 0)))
end)
LUA

cpu_of() {  # pid -> seconds of user+system time
    awk -v hz="$(getconf CLK_TCK)" '{print ($14 + $15) / hz}' "/proc/$1/stat"
}

# One run: starts its own X server, plays for the clip's length plus three seconds,
# prints "cpu peak dropped". The players run under time(1), which reports their CPU
# and peak memory when they end: the peers at the clip's end, quova (which
# stays open) at the termination signal.
run() {  # player clip
    local player=$1 file=$2
    exec 3>"$work/display"
    Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
    local xs=$!
    for _ in $(seq 100); do [[ -s "$work/display" ]] && break; sleep 0.1; done
    export DISPLAY=":$(cat "$work/display")"
    : >"$work/display"
    local x0; x0=$(cpu_of $xs)
    local timed="/usr/bin/time -o $work/time -f %U_%S_%M"
    local scaled=0
    [[ $file == *c1080* ]] && scaled=1
    case $player in
        quova)
            export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/rt"
            mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
            if [[ $scaled == 1 ]]; then
                QT_LOGGING_RULES="quova.video.info=true" \
                    $timed "$quova" /zoomtowin "$file" >/dev/null 2>"$work/log" &
            else
                QT_LOGGING_RULES="quova.video.info=true" \
                    $timed "$quova" "$file" >/dev/null 2>"$work/log" &
            fi ;;
        mpv)
            $timed mpv --no-config --vo=x11 --hwdec=no --ao=null --geometry=1280x720 \
                --really-quiet --script="$work/drops.lua" "$file" >/dev/null 2>"$work/log" & ;;
        playbin)
            local sink="videoconvert ! ximagesink"
            [[ $scaled == 1 ]] && sink="videoconvert ! videoscale ! video/x-raw,width=1280,height=720 ! ximagesink"
            $timed gst-launch-1.0 -q playbin uri="file://$file" audio-sink=fakesink \
                video-sink="$sink" >/dev/null 2>"$work/log" & ;;
    esac
    local p=$!
    sleep 23
    local x1; x1=$(cpu_of $xs)
    # The player itself is ended (time(1) then reports); the peers are done.
    local child; child=$(pgrep -P $p || true)
    [[ -n $child ]] && kill -TERM $child 2>/dev/null || true
    wait $p 2>/dev/null || true
    kill $xs; wait $xs 2>/dev/null || true
    # A player that ends with a failure status gets a line about it first.
    IFS=_ read -r user sys peak < <(tail -n 1 "$work/time")
    local dropped=-
    case $player in
        quova) dropped=$(sed -n 's/.*video frames: received [0-9]*, shown \([0-9]*\).*/\1/p' \
            "$work/log" | tail -n 1 | awk '{print 597 - $1}') ;;
        mpv) dropped=$(sed -n 's/^mpv dropped \([0-9]*\)/\1/p' "$work/log" | tail -n 1) ;;
    esac
    echo "$(echo "$user + $sys + $x1 - $x0" | bc -l) $((peak / 1024)) ${dropped:--}"
}

# quova's window takes 1280x720 from its stored settings.
mkdir -p "$work/config/quova"
export XDG_CONFIG_HOME="$work/config"
run quova "$work/c720.mkv" >/dev/null
sed -i -e 's/"width"=.*/"width"="1280"/' -e 's/"height"=.*/"height"="720"/' \
    -e 's/"left"=.*/"left"="0"/' -e 's/"top"=.*/"top"="0"/' "$work/config/quova/registry.reg"

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
printf "%-10s %-8s %10s %10s  %s\n" clip player "cpu s" "peak MB" "dropped, each round"
for c in ${CLIPS:-c720 c1080 c720p10}; do
    declare -A cpus=() peaks=() drops=()
    for ((r = 0; r < rounds; r++)); do
        for player in $players; do
            read -r cpu peak dropped < <(run $player "$work/$c.mkv")
            cpus[$player]+="$cpu "
            peaks[$player]+="$peak "
            drops[$player]+="$dropped "
        done
    done
    for player in $players; do
        printf "%-10s %-8s %10.2f %10s  %s\n" $c $player \
            "$(tr ' ' '\n' <<<"${cpus[$player]}" | grep . | median)" \
            "$(tr ' ' '\n' <<<"${peaks[$player]}" | grep . | median)" "${drops[$player]}"
    done
done
echo "quova's video output: ${QUOVA_VIDEO_OUTPUT:-chosen by the display (the painted QImage under Xvfb)}"
