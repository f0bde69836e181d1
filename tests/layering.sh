#!/bin/bash
# The source folders form layers, each calling only those below it:
# app, playback, graph, text and mediainfo, lexicon, platform. A folder that
# includes one above it fails here, with the lines that do.
set -u
root=${1:?the source folder}
cd "$root" || exit 2
status=0
check() {
    local folder=$1
    shift
    local above
    above=$(printf '%s/|' "$@")
    local found
    found=$(grep -rnE "#include \"(${above%|})" "$folder" --include='*.h' --include='*.cpp' || true)
    if [[ -n "$found" ]]; then
        echo "FAIL: $folder includes a folder above it:"
        echo "$found"
        status=1
    fi
}
check playback app
check graph app playback
check text app playback graph
check mediainfo app playback graph
check lexicon app playback graph text mediainfo
check langmodule app playback graph text mediainfo
check platform app playback graph text mediainfo lexicon langmodule
[[ $status == 0 ]] && echo "every folder includes only those below it"
exit $status
