#!/bin/sh
# Installs into a temporary prefix and checks what a desktop needs: the
# program, a valid desktop entry, the icon, the example models.
# usage: install_test.sh BUILD_FOLDER
set -eu
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
fail() { echo "install: $*" >&2; exit 1; }

[ -x "$prefix/bin/triview" ] || fail "bin/triview is missing or not executable"
desktop="$prefix/share/applications/triview.desktop"
[ -f "$desktop" ] || fail "the desktop entry is missing"
desktop-file-validate "$desktop" || fail "the desktop entry is not valid"
grep -q '^Exec=triview$' "$desktop" || fail "the desktop entry does not start triview"
grep -q '^Categories=.*Graphics;' "$desktop" || fail "the desktop entry is not in Graphics"
grep -q '^Comment\[zh_TW\]=' "$desktop" || fail "no Traditional Chinese comment"
icon="$prefix/share/icons/hicolor/scalable/apps/triview.svg"
[ -f "$icon" ] || fail "the icon is missing"
grep -q '<svg' "$icon" || fail "the icon is not an SVG image"
for model in cube sphere terrain; do
  [ -s "$prefix/share/triview/examples/$model.tri" ] || fail "examples/$model.tri is missing"
done
echo "installed tree is complete"
