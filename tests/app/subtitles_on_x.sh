#!/usr/bin/env bash
# Starts the real program on an X server with a clip that has a SubRip file
# beside it, once for each place the subtitles can be drawn: below the
# picture, in the box over it, and inside it. The picture is plain blue and
# the text white; a screenshot must show no text before the subtitle is due
# and the text in its place once it is. In the box, a drag with the mouse
# must move the text with the pointer.
set -euo pipefail
quova="$1"

source "$(dirname "$0")/x_session.sh"
source "$(dirname "$0")/subtitle_shots.sh"
mkdir -p "$XDG_CONFIG_HOME/quova"
unset DBUS_SESSION_BUS_ADDRESS

clip="$work/film.avi"
gst-launch-1.0 -q videotestsrc num-buffers=400 pattern=solid-color foreground-color=0xff000090 \
    ! video/x-raw,width=320,height=240,framerate=25/1 ! jpegenc ! avimux ! filesink location="$clip"
printf '1\r\n00:00:04,000 --> 00:00:15,000\r\nHello\r\nWorld\r\n\r\n' >"$work/film.srt"

fail() {
    echo "FAIL ($mode): $1"
    cat "$work/quova.log"
    exit 1
}

run_mode() {
    mode="$1"
    local on=0 over=0
    [[ "$mode" == on ]] && on=1
    [[ "$mode" == over ]] && over=1
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Dorvane\\Quova]\n"osd"="0"\n"subtitles"="1"\n"subtitlesonmovie"="%s"\n"subtitlesovermovie"="%s"\n' \
        "$on" "$over" >"$XDG_CONFIG_HOME/quova/registry.reg"
    # Each mode watches the clip from its start: the place the last one
    # stopped at is not offered.
    rm -f "$XDG_STATE_HOME/quova/resume.db"*

    "$quova" "$clip" >"$work/quova.log" 2>&1 &
    player=$!
    wait_for_window "^Quova - film.avi\$" "$work/quova.log" "($mode) no window captioned with the clip's name"

    await_picture_without_text
    await_text
    local text_h=$((tb - tt))
    case "$mode" in
        below)
            [[ $tt -gt $pb ]] || fail "text from $tt, not below the picture ending at $pb"
            ;;
        over)
            # Two lines in a black box whose first line stands over the picture.
            [[ $tt -lt $pb && $tb -gt $((pb - text_h)) ]] \
                || fail "text $tt..$tb not over the lower edge of the picture ending at $pb"
            [[ $dark -gt 100 ]] || fail "no black box over the picture ($dark dark pixels)"
            ;;
        on)
            [[ $tl -ge $pl && $tr -le $pr && $tt -ge $pt && $tb -le $pb ]] \
                || fail "text $tl,$tt..$tr,$tb not inside the picture $pl,$pt..$pr,$pb"
            [[ $tt -gt $(((pt + pb) / 2)) ]] || fail "text at $tt, not in the picture's lower half"
            ;;
    esac

    if [[ "$mode" == over ]]; then
        # Press on the box, move up 40 pixels in steps, release: the text follows.
        eval "$(xdotool getwindowgeometry --shell "$window")"
        local x=$((X + (tl + tr) / 2)) y=$((Y + (tt + tb) / 2)) before=$tt
        xdotool mousemove "$x" "$y"
        sleep 0.2
        xdotool mousedown 1
        for step in 10 20 30 40; do
            xdotool mousemove "$x" $((y - step))
            sleep 0.1
        done
        xdotool mouseup 1
        sleep 0.5
        shot || fail "no screenshot after the drag"
        local moved=$((before - tt))
        [[ $moved -ge 34 && $moved -le 46 ]] || fail "the drag of 40 pixels moved the text by $moved"
    fi

    stop_player || true
    # The video output is chosen by probing the display's sinks, which needs
    # GStreamer started: no complaint about an element made before it.
    if grep -q 'GStreamer-CRITICAL' "$work/quova.log"; then fail "GStreamer complained"; fi
}

for m in below over on; do run_mode "$m"; done
echo "3 passed, 0 failed"
