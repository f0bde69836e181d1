# Screenshots of the player's window for the subtitle checks: the plain blue
# picture's box, the white text's box, and the dark pixels inside the picture.
# Sourced after x_session.sh; the caller has $window and a fail function.

# Reads an xwd dump and prints the picture's box and the text's box as
# "left top right bottom" each (-1 -1 -1 -1 for none), then the dark count.
measure() {
    PYTHONPATH="$(dirname "${BASH_SOURCE[0]}")" python3 - "$1" <<'PY'
import sys
from xwd import Shot
shot = Shot(sys.argv[1])
pic = shot.box(lambda r, g, b: b > 100 and r < 70 and g < 70, step=1)
text = shot.box(lambda r, g, b: min(r, g, b) > 200, step=1)
dark = 0
if pic:
    for y in range(pic[1], pic[3] + 1):
        for x in range(pic[0], pic[2] + 1):
            if max(shot.rgb(x, y)) < 40:
                dark += 1
none = (-1, -1, -1, -1)
print(*(pic or none), *(text or none), dark)
PY
}

shot() {
    xwd -id "$window" -silent >"$work/shot.xwd" 2>/dev/null || return 1
    read -r pl pt pr pb tl tt tr tb dark < <(measure "$work/shot.xwd")
}

# The picture shows before the cue is due (at 4 s): no text yet.
await_picture_without_text() {
    local seen=0
    for _ in $(seq 60); do
        if shot && [[ $pl -ge 0 ]]; then seen=1; break; fi
        sleep 0.1
    done
    [[ $seen -eq 1 ]] || fail "the picture never showed"
    [[ $tl -lt 0 ]] || fail "text at $tl,$tt before the cue is due"
}

# Then the text, once the cue is due.
await_text() {
    local seen=0
    for _ in $(seq 60); do
        sleep 0.25
        shot || continue
        [[ $pl -ge 0 && $tl -ge 0 ]] && { seen=1; break; }
    done
    [[ $seen -eq 1 ]] || fail "no text on the screen after the cue was due"
}
