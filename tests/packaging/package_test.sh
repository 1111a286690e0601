#!/bin/sh
# Builds the Debian package and checks its contents and dependencies: the
# libraries it links, Qt's X11 plugin, an OpenGL driver and the fonts.
# usage: package_test.sh BUILD_FOLDER
set -eu
build=$(realpath "$1")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >/dev/null
deb=$(ls "$out"/triview_*.deb)
fail() { echo "package: $*" >&2; exit 1; }

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for needed in libqt6widgets6 libqt6opengl6 libqt6gui6 qt6-qpa-plugins libgl1-mesa-dri \
  fonts-arphic-uming fonts-urw-base35; do
  echo "$depends" | grep -q "$needed" || fail "does not depend on $needed"
done
contents=$(dpkg-deb -c "$deb")
for path in ./usr/bin/triview ./usr/share/applications/triview.desktop \
  ./usr/share/icons/hicolor/scalable/apps/triview.svg ./usr/share/triview/examples/sphere.tri; do
  echo "$contents" | grep -q " $path\$" || fail "does not hold $path"
done
echo "package $(basename "$deb") is complete"
