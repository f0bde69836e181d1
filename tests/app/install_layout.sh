#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks that the files land
# where a Linux desktop and the program look for them.
set -euo pipefail
build="$1"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

fail=0
for file in bin/quova lib/libquovalxen.so share/applications/quova.desktop \
            share/icons/hicolor/scalable/apps/quova.svg share/quova/quova.htm \
            share/quova/quova.en.lex share/quova/quova.en.mnu; do
  [[ -e "$prefix/$file" ]] || { echo "FAIL: $file is not installed"; fail=1; }
done
[[ -x "$prefix/bin/quova" ]] || { echo "FAIL: bin/quova is not executable"; fail=1; }
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/quova.desktop" || fail=1
fi
grep -q '^"370","Open media file"' "$prefix/share/quova/quova.en.lex" ||
  { echo "FAIL: the English lexicon lacks entry 370"; fail=1; }
grep -q '^"Open1","&Open...","Ctrl+O",' "$prefix/share/quova/quova.en.mnu" ||
  { echo "FAIL: the English menu template lacks Open1"; fail=1; }
exit $fail
