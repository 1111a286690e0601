#!/bin/sh
# What an installation and the Debian package hold: the program, a valid
# desktop entry that opens tri files, the tri file type (known by name and
# by content), the thumbnailer, whose Exec line is run as a file manager
# runs it with no display, the icons, the example models.
# usage: package_test.sh BUILD_FOLDER
set -eu
build=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package: $*" >&2; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >/dev/null
deb=$(ls "$work"/triview_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libegl1 libegl-mesa0 qt6-qpa-plugins libgl1-mesa-dri fonts-arphic-uming \
  fonts-urw-base35; do
  echo "$depends" | grep -q "$needed" || fail "does not depend on $needed"
done
root=$work/root
dpkg-deb -x "$deb" "$root"
share=$root/usr/share
for path in bin/triview share/applications/triview.desktop share/mime/packages/triview.xml \
  share/thumbnailers/triview.thumbnailer share/icons/hicolor/scalable/apps/triview.svg \
  share/icons/hicolor/256x256/apps/triview.png share/triview/examples/cube.tri \
  share/triview/examples/sphere.tri share/triview/examples/terrain.tri; do
  [ -s "$root/usr/$path" ] || fail "does not hold /usr/$path"
done

desktop=$share/applications/triview.desktop
desktop-file-validate "$desktop" || fail "the desktop entry is not valid"
grep -q '^Exec=triview %f$' "$desktop" || fail "the desktop entry does not open a file"
grep -q '^MimeType=model/x-tri;$' "$desktop" || fail "the desktop entry does not take tri files"

# The file type, as a desktop finds it: by name, and by the first line.
update-mime-database "$share/mime" 2>/dev/null
printf 'Triangle\r\n' >"$work/model.tri"
printf '\357\273\277Triangle\n1,2,3' >"$work/renamed.txt"
for file in model.tri renamed.txt; do
  type=$(XDG_DATA_DIRS=$share gio info -a standard::content-type "$work/$file" | sed -n 's/.*content-type: //p')
  [ "$type" = model/x-tri ] || fail "$file is $type, not model/x-tri"
done

# The thumbnailer's Exec line, as a file manager runs it, with no display.
exec_line=$(sed -n 's/^Exec=//p' "$share/thumbnailers/triview.thumbnailer")
thumbnail() { # thumbnail INPUT OUTPUT SIZE
  eval "set -- $(echo "$exec_line" | sed "s|%i|'$1'|; s|%o|'$2'|; s|%s|$3|g")"
  env -u DISPLAY -u WAYLAND_DISPLAY PATH="$root/usr/bin:$PATH" "$@"
}
thumbnail "$share/triview/examples/cube.tri" "$work/cube.png" 128
[ "$(identify -format '%wx%h' "$work/cube.png")" = 128x128 ] || fail "the thumbnail is not 128x128"
status=0
thumbnail "$work/renamed.txt" "$work/bad.png" 128 2>/dev/null || status=$?
[ "$status" -eq 1 ] && [ ! -e "$work/bad.png" ] || fail "a bad model gave status $status or a file"
echo "package $(basename "$deb") is complete"
