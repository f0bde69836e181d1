#!/usr/bin/env bash
# Starts the real program on an X server with a Matroska clip that carries its
# subtitles as a SubRip track and has no subtitle file beside it. The picture
# is plain blue and the text white: a screenshot must show no text before the
# cue is due and the text below the picture once it is.
set -euo pipefail
quova="$1"

source "$(dirname "$0")/x_session.sh"
source "$(dirname "$0")/subtitle_shots.sh"
mkdir -p "$XDG_CONFIG_HOME/quova"
unset DBUS_SESSION_BUS_ADDRESS

clip="$work/film.mkv"
printf '1\r\n00:00:04,000 --> 00:00:15,000\r\nHello\r\nWorld\r\n\r\n' >"$work/track.srt"
gst-launch-1.0 -q matroskamux name=m ! filesink location="$clip" \
    videotestsrc num-buffers=400 pattern=solid-color foreground-color=0xff000090 \
    ! video/x-raw,width=320,height=240,framerate=25/1 ! jpegenc ! m. \
    filesrc location="$work/track.srt" ! subparse ! m.subtitle_%u
rm "$work/track.srt"

fail() {
    echo "FAIL: $1"
    cat "$work/quova.log"
    exit 1
}

printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Dorvane\\Quova]\n"osd"="0"\n"subtitles"="1"\n"subtitlesonmovie"="0"\n"subtitlesovermovie"="0"\n' \
    >"$XDG_CONFIG_HOME/quova/registry.reg"

"$quova" "$clip" >"$work/quova.log" 2>&1 &
player=$!
wait_for_window "^Quova - film.mkv\$" "$work/quova.log" "no window captioned with the clip's name"

await_picture_without_text
await_text
[[ $tt -gt $pb ]] || fail "text from $tt, not below the picture ending at $pb"

stop_player || true
echo "1 passed, 0 failed"
