#!/usr/bin/env bash
# Starts the real program once in a fresh home and checks what the desktop
# sees afterwards: a valid desktop entry and Quova as the default handler of
# AVI files. Skips (77) without desktop-file-utils or xdg-utils.
set -euo pipefail
program="$1"
for tool in desktop-file-validate xdg-mime; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

home=$(mktemp -d)
pid=""
private=""
cleanup() {
  if [[ -n "$pid" ]] && kill -0 "$pid" 2>/dev/null; then kill "$pid"; wait "$pid" || true; fi
  rm -rf "$home"
  [[ -n "$private" ]] && rm -rf "$private"
}
trap cleanup EXIT

# Only a program where no other user can ever put one is registered: a build
# under a folder others create entries in (/tmp) is not. The program runs from
# a copy in a folder of the test's own in the user's cache, with the build's
# shared files beside it, as an installed program finds them.
mkdir -p -m 700 "$HOME/.cache"
private=$(mktemp -d "$HOME/.cache/quova-test.XXXXXX")
mkdir "$private/bin"
cp "$program" "$private/bin/quova"
ln -s "$(cd "$(dirname "$program")/../share" && pwd)" "$private/share"
program="$private/bin/quova"

export HOME="$home"
export XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config"
export XDG_RUNTIME_DIR="$home/run" XDG_DATA_DIRS="$home/system" XDG_CONFIG_DIRS="$home/system-config"
unset XDG_CURRENT_DESKTOP DBUS_SESSION_BUS_ADDRESS
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
entry="$XDG_DATA_HOME/applications/quova.desktop"

QT_QPA_PLATFORM=offscreen "$program" 2>"$home/quova.log" &
pid=$!
for _ in $(seq 1 300); do
  [[ -s "$XDG_CONFIG_HOME/mimeapps.list" ]] && grep -q 'video/x-ogm+ogg' "$XDG_CONFIG_HOME/mimeapps.list" && break
  sleep 0.1
done
kill -TERM "$pid"
wait "$pid" || true
pid=""

if grep -q "not registered as a file handler" "$home/quova.log"; then
  echo "SKIP: this user's cache lies where others can create entries:"
  cat "$home/quova.log"
  exit 77
fi
[[ -f "$entry" ]] || { echo "FAIL: no desktop entry at $entry"; cat "$home/quova.log"; exit 1; }
desktop-file-validate "$entry"
grep -qx "Exec=\"$(readlink -f "$program")\" %F" "$entry" || {
  echo "FAIL: Exec does not start $program:"; grep '^Exec=' "$entry"; exit 1; }
default=$(xdg-mime query default video/x-msvideo)
[[ "$default" == "quova.desktop" ]] || { echo "FAIL: default handler is '$default'"; exit 1; }
echo "PASS: $entry is valid and the default handler of video/x-msvideo"
