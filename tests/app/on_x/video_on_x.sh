#!/usr/bin/env bash
# Runs the picture checks on an Xvfb server, with the video output given
# (image, gl); any other argument is passed to the test program.
set -euo pipefail
program="$1"
output="$2"
shift 2

source "$(dirname "$0")/../x_session.sh"
export QT_QPA_PLATFORM=xcb QUOVA_VIDEO_OUTPUT="$output"
"$program" "$@"
