#!/usr/bin/env bash
# Starts the real program on an X server, turns "PCM to .wav" on through its
# menu item's shortcut (a menu template gives it F9), and hands it a clip as a
# second start would: the clip's audio must appear beside it as a whole WAV
# file, with no temporary file left behind.
set -euo pipefail
quova="$1"

source "$(dirname "$0")/x_session.sh"
export LC_ALL=C.UTF-8  # the English menu template applies

# The template is read beside the program: a copy of the program of its own.
cp "$quova" "$work/quova"
printf '"PCMToWav","PCM to .wav","F9",""\r\n' >"$work/quova.en.mnu"
clip="$work/clip.avi"
gst-launch-1.0 -q videotestsrc num-buffers=50 ! video/x-raw,width=320,height=240 ! jpegenc \
    ! avimux name=mux ! filesink location="$clip" \
    audiotestsrc num-buffers=86 ! audio/x-raw,format=S16LE,rate=44100,channels=2 ! mux.

"$work/quova" >"$work/quova.log" 2>&1 &
player=$!

press_in_idle_window F9 "$work/quova.log"
# The option's tip, if it shows, is answered with its default button.
sleep 1.5
xdotool key Return || true
sleep 0.5

"$work/quova" "$clip" >"$work/second.log" 2>&1 || true

wav="$work/clip.wav"
for _ in $(seq 150); do
    [[ -s "$wav" ]] && break
    sleep 0.2
done
[[ -s "$wav" ]] || { echo "FAIL: no WAV beside the clip"; ls -la "$work"; cat "$work/quova.log"; exit 1; }
if ls -a "$work" | grep -q '\.part$'; then echo "FAIL: a temporary file was left"; exit 1; fi
head -c 4 "$wav" | grep -q RIFF || { echo "FAIL: not a RIFF file"; exit 1; }
size=$(stat -c %s "$wav")
riff=$(od -An -tu4 -j4 -N4 "$wav" | tr -d ' ')
[[ $((riff + 8)) -eq $size ]] || { echo "FAIL: RIFF size $riff for a file of $size bytes"; exit 1; }
seen=$(gst-discoverer-1.0 -t 60 "$wav" 2>&1) || true
grep -q "audio #0: WAV" <<<"$seen" || { echo "FAIL: gst-discoverer-1.0 finds no WAV audio"; echo "$seen"; exit 1; }
echo "1 passed, 0 failed"
