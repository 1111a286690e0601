#!/bin/sh
# What an installation and the Debian package hold: the program, a valid
# desktop entry, the icon, the example models; and what the package needs.
# usage: package_test.sh BUILD_FOLDER
set -eu
build=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/prefix" >/dev/null
desktop=$work/prefix/share/applications/triview.desktop
desktop-file-validate "$desktop" || fail "the desktop entry is not valid"
grep -q '^Exec=triview$' "$desktop" || fail "the desktop entry does not start triview"
grep -q '^Comment\[zh_TW\]=' "$desktop" || fail "no Traditional Chinese comment"

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >/dev/null
deb=$(ls "$work"/triview_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6opengl6 qt6-qpa-plugins libgl1-mesa-dri fonts-arphic-uming \
  fonts-urw-base35; do
  echo "$depends" | grep -q "$needed" || fail "does not depend on $needed"
done
dpkg-deb -x "$deb" "$work/root"
for path in bin/triview share/applications/triview.desktop share/icons/hicolor/scalable/apps/triview.svg \
  share/triview/examples/cube.tri share/triview/examples/sphere.tri share/triview/examples/terrain.tri; do
  [ -s "$work/root/usr/$path" ] || fail "does not hold /usr/$path"
  cmp -s "$work/root/usr/$path" "$work/prefix/$path" || fail "/usr/$path differs from the install's"
done
echo "package $(basename "$deb") is complete"
