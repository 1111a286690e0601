#!/bin/sh
# What an installation and the Debian package hold, and whether Debian's
# lintian and AppStream accept them: the program, a manual page, a valid
# desktop entry that opens tri files, the tri file type (as GIO finds it
# beside the system's types), the thumbnailer, run by tumbler and by GNOME's
# thumbnail factory as a file manager runs them, the icons, the examples;
# and, where it is built, KDE's thumbnail plugin in a package of its own, as
# Dolphin asks for previews through KIO; and Dolphin's export menu, as KIO
# builds the context menu and runs its choice.
# usage: package_test.sh BUILD_FOLDER
set -eu
build=$(realpath "$1")
tests=$(realpath "$(dirname "$0")/..")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package: $*" >&2; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >/dev/null
deb=$(ls "$work"/triview_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libegl1 libqt6gui6 libegl-mesa0 qt6-translations-l10n libgl1-mesa-dri fonts-arphic-uming \
  fonts-urw-base35; do
  echo "$depends" | grep -q "$needed" || fail "does not depend on $needed"
done
dpkg-deb -f "$deb" Recommends | grep -q qt6-wayland || fail "does not recommend qt6-wayland"
# What Debian's review and the software centres ask of it: no lintian
# error or warning (informational tags are fine), valid metainfo, a manual
# page that man reads.
lintian --tag-display-limit 0 "$deb" 2>&1 | grep -E '^[EW]: ' && fail "lintian objects"
dpkg-deb -f "$deb" Description | grep -q ';' && fail "the description holds a list's separators"
root=$work/root
dpkg-deb -x "$deb" "$root"
share=$root/usr/share
for path in bin/triview bin/triview-thumbnailer share/applications/triview.desktop share/mime/packages/triview.xml \
  share/thumbnailers/triview.thumbnailer share/icons/hicolor/scalable/apps/triview.svg \
  share/icons/hicolor/256x256/apps/triview.png share/triview/examples/cube.tri \
  share/triview/examples/sphere.tri share/triview/examples/terrain.tri \
  share/metainfo/org.triview.triview.metainfo.xml share/man/man1/triview.1.gz \
  share/kio/servicemenus/triview-export.desktop libexec/triview/triview-export-beside \
  libexec/triview/triview-window \
  share/man/man1/triview-thumbnailer.1.gz \
  share/doc/triview/copyright share/doc/triview/changelog.gz; do
  [ -s "$root/usr/$path" ] || fail "does not hold /usr/$path"
done
appstreamcli validate --no-net --pedantic "$share/metainfo/org.triview.triview.metainfo.xml" >/dev/null ||
  fail "the metainfo is not valid"
for section in SYNOPSIS OPTIONS --render --fit --export 'EXIT STATUS' FILES ENVIRONMENT EXAMPLES; do
  MANWIDTH=80 man -l "$share/man/man1/triview.1.gz" 2>/dev/null | grep -q -- "$section" ||
    fail "the manual page has no $section"
done

desktop=$share/applications/triview.desktop
desktop-file-validate "$desktop" || fail "the desktop entry is not valid"
grep -q '^Exec=triview %f$' "$desktop" || fail "the desktop entry does not open a file"
grep -q '^MimeType=model/x-tri;$' "$desktop" || fail "the desktop entry does not take tri files"
grep -q '^StartupNotify=true$' "$desktop" || fail "the desktop entry gives no startup notification"

# The file type as GIO finds it with the system's database behind the
# package's: by name; by the first line only where the name has no
# extension the system knows; and as a kind of plain text, for editors.
update-mime-database "$share/mime" 2>/dev/null
export XDG_DATA_DIRS="$share:/usr/local/share:/usr/share" XDG_DATA_HOME="$work/home"
mkdir -p "$work/home/applications"
printf '[Desktop Entry]\nType=Application\nName=Editor\nExec=true %%f\nMimeType=text/plain;\n' \
  >"$work/home/applications/editor.desktop"
update-desktop-database "$work/home/applications"
printf 'Triangle\r\n' >"$work/model.tri"
printf '\357\273\277Triangle\n1,2,3' >"$work/model"
printf 'Triangle\n1,2,3' >"$work/model.txt"
for expected in model.tri:model/x-tri model:model/x-tri model.txt:text/plain; do
  file=${expected%%:*}
  type=$(gio info -a standard::content-type "$work/$file" | sed -n 's/.*content-type: //p')
  [ "$type" = "${expected#*:}" ] || fail "$file is $type, not ${expected#*:}"
done
gio mime model/x-tri | grep -q editor.desktop || fail "text editors are not offered for tri models"

# The thumbnailer as file managers run it, with no display. tumbler makes
# the output first, holds it open and reads the picture back through it.
unset DISPLAY WAYLAND_DISPLAY
export PATH="$root/usr/bin:$PATH" XDG_CACHE_HOME="$work/cache"
cp "$share/triview/examples/terrain.tri" "$work/terrain.tri"
printf 'Triangle\n1,2,x\n' >"$work/bad.tri"
thumbnail() { echo "$XDG_CACHE_HOME/thumbnails/normal/$(printf 'file://%s' "$work/$1" | md5sum | cut -d' ' -f1).png"; }
# One request: tumbler works through its files in order, so the bad model
# is done once the good one's thumbnail is there.
dbus-run-session -- sh -c "gdbus call --session --dest org.freedesktop.thumbnails.Thumbnailer1 \
  --object-path /org/freedesktop/thumbnails/Thumbnailer1 \
  --method org.freedesktop.thumbnails.Thumbnailer1.Queue \
  \"['file://$work/bad.tri', 'file://$work/terrain.tri']\" \"['model/x-tri', 'model/x-tri']\" \
  normal default 0 >/dev/null
  for _ in \$(seq 200); do [ -e '$(thumbnail terrain.tri)' ] && break; sleep 0.1; done" 2>/dev/null
# The model fills a thumbnail (all but a small margin) on a transparent ground.
picture_check() { /usr/bin/python3 "$tests/support/picture_check.py" "$@"; }
fills() { picture_check fills "$1" 0.85; }
fills "$(thumbnail terrain.tri)" || fail "tumbler made no thumbnail that the model fills"
[ ! -e "$(thumbnail bad.tri)" ] || fail "tumbler made a thumbnail of a bad model"

# Nemo and Caja name the output as mkstemp does, with no picture extension.
exec_line=$(sed -n 's/^Exec=//p' "$share/thumbnailers/triview.thumbnailer")
nemo_out=$(mktemp "$work/.gnome_desktop_thumbnail.XXXXXX")
eval "set -- $(echo "$exec_line" | sed "s|%i|'$work/terrain.tri'|; s|%o|'$nemo_out'|; s|%s|64|g")"
"$@" && [ "$(identify -format %wx%h "$nemo_out")" = 64x64 ] || fail "no thumbnail under Nemo's name"

# GNOME's factory runs it in a sandbox that sees only /usr of the system:
# the package's program goes there in a mount namespace of the test's own.
# The sandbox forbids ptrace, which LeakSanitizer needs in a sanitizer build.
if [ "$(id -u)" -eq 0 ]; then
  gnome() { ASAN_OPTIONS=detect_leaks=0 unshare --mount sh -c "mount --bind '$root/usr/bin' /usr/local/bin &&
    /usr/bin/python3 '$(dirname "$0")/gnome_thumbnail.py' '$work/$1' '$work/$2'"; }
  gnome terrain.tri gnome.png && fills "$work/gnome.png" ||
    fail "GNOME's factory made no thumbnail that the model fills"
  ! gnome bad.tri gnome-bad.png 2>/dev/null || fail "GNOME's factory made a thumbnail of a bad model"
else
  echo "package: not root, so GNOME's sandboxed factory is not tried"
fi

# KDE's plugin, installed beside the viewer, as Dolphin asks for previews:
# KIO's PreviewJob through KIO's thumbnail worker of each KDE Frameworks
# version it is built for, with only the plugin enabled, with those Dolphin
# enables by default, and with all of them (where a text preview could win),
# each with a cache of its own (tumbler's thumbnails are where KIO would look).
kio_deb=$(ls "$work"/triview-kde-thumbnailer_*.deb 2>/dev/null || true)
if [ -n "$kio_deb" ]; then
  lintian --tag-display-limit 0 "$kio_deb" 2>&1 | grep -E '^[EW]: ' && fail "lintian objects to the plugin"
  kio_depends=$(dpkg-deb -f "$kio_deb" Depends)
  echo "$kio_depends" | grep -q "triview (= $(dpkg-deb -f "$deb" Version))" ||
    fail "the plugin does not depend on the viewer"
  [ -x "$build/kio5/preview_job" ] || ! echo "$kio_depends" | grep -q qt5 ||
    fail "the plugin for KDE Frameworks 6 pulls Qt 5: $kio_depends"
  dpkg-deb -c "$deb" | grep -q thumbcreator && fail "the viewer's package holds KDE's plugin"
  dpkg-deb -x "$kio_deb" "$root"
  eval "set -- $(echo "$exec_line" | sed "s|%i|'$work/terrain.tri'|; s|%o|'$work/entry.png'|; s|%s|128|g")"
  "$@"
  cp "$work/terrain.tri" "$work/模型 1.tri"
  # The plugin's own thumbnailer draws, never one found first on PATH.
  mkdir "$work/decoy"
  for decoy in triview triview-thumbnailer; do
    printf '#!/bin/sh\nexit 1\n' >"$work/decoy/$decoy" && chmod +x "$work/decoy/$decoy"
  done
  for kf in 6 5; do
    [ -x "$build/kio$kf/preview_job" ] || continue
    plugins_dir=$(echo "$root"/usr/lib/*/qt$kf/plugins)
    for enabled in triviewthumbnail default all; do
      out=$work/kio$kf-$enabled
      mkdir "$out"
      PATH="$work/decoy:$PATH" LC_ALL=C.UTF-8 XDG_CACHE_HOME="$out/cache" QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH=$plugins_dir \
        dbus-run-session -- "$build/kio$kf/preview_job" "$out" 128 "$enabled" "$work/terrain.tri" \
        "$work/bad.tri" "$work/模型 1.tri" >"$out/log" 2>/dev/null ||
        fail "KIO $kf's preview job ($enabled) did not end well: $(cat "$out/log")"
      for line in 'plugin triviewthumbnail: Triangle model for model/x-tri' \
        'preview terrain.tri 128x128' 'failed bad.tri' 'preview 模型 1.tri 128x128'; do
        grep -q "^$line\$" "$out/log" || fail "KIO $kf ($enabled) said no '$line': $(cat "$out/log")"
      done
      # The very pixels the thumbnailer entry makes, transparency and all.
      picture_check same "$out/terrain.tri.png" "$work/entry.png" ||
        fail "KIO $kf's thumbnail ($enabled) is not the thumbnailer entry's picture"
    done
    echo "package: KIO $kf's thumbnail worker shows the model"
  done
else
  echo "package: KDE's thumbnail plugin is not built, so not tried"
fi

# Dolphin's "Export to" menu, as KIO builds a tri file's context menu and
# runs the choice: each model beside itself, a name taken not written over,
# a bad model written nowhere. The menu's command is the package's script,
# from where the package was unpacked.
menu=$share/kio/servicemenus/triview-export.desktop
beside=/usr/libexec/triview/triview-export-beside
[ "$(grep -c "^Exec=$beside [a-z0-9]* [a-z0-9]* %F$" "$menu")" -eq 7 ] ||
  fail "the export menu does not run $beside on the files chosen"
mkdir -p "$work/home/kio/servicemenus"
sed "s|$beside|$root$beside|" "$menu" >"$work/home/kio/servicemenus/triview-export.desktop"
for kf in 6 5; do
  [ -x "$build/kio$kf/service_menu" ] || continue
  models=$work/export$kf
  mkdir "$models"
  cp "$work/terrain.tri" "$work/bad.tri" "$models/"
  cp "$work/terrain.tri" "$models/模型 1.tri"
  : >"$models/模型 1.stl"
  LC_ALL=C.UTF-8 QT_QPA_PLATFORM=offscreen dbus-run-session -- "$build/kio$kf/service_menu" "Export to" \
    "STL, for 3D printing (.stl)" "$models/terrain.tri" "$models/模型 1.tri" "$models/bad.tri" \
    >"$models/log" 2>/dev/null || fail "KIO $kf's export menu: $(cat "$models/log")"
  [ "$(grep -c '^action ' "$models/log")" -eq 7 ] || fail "KIO $kf's export menu: $(cat "$models/log")"
  for _ in $(seq 100); do [ -s "$models/模型 1 (2).stl" ] && break; sleep 0.1; done
  triview --export "$work/terrain.stl" "$work/terrain.tri"
  cmp -s "$models/terrain.stl" "$work/terrain.stl" && cmp -s "$models/模型 1 (2).stl" "$work/terrain.stl" ||
    fail "KIO $kf's export menu wrote no STL beside each model: $(ls "$models")"
  [ ! -s "$models/模型 1.stl" ] || fail "KIO $kf's export menu wrote over a file"
  [ ! -e "$models/bad.stl" ] || fail "KIO $kf's export menu wrote a bad model"
  echo "package: KIO $kf's export menu writes models beside themselves"
done
echo "package $(basename "$deb") is complete"
