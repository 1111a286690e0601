#!/bin/sh
# Time per thumbnail, ten copies of the 10922-triangle benchmark model at 256
# pixels, in one hyperfine run: the freedesktop thumbnailer entry's command
# once per file, as tumbler runs it, beside KDE's plugin asked for all ten by
# one KIO PreviewJob, as Dolphin asks when a folder opens (through KIO's
# thumbnail worker, with an empty thumbnail cache each time). The plugin is
# the build's for KDE Frameworks 6 where there is one (it draws in the
# worker's process), timed beside the same plugin running
# triview-thumbnailer as the Frameworks 5 one does (bench/CMakeLists.txt); else 5's. The file type comes
# from the package's definition, as when it is installed.
#   bench/kio_thumbnail.sh [BUILD_FOLDER]
set -eu
build=$(realpath "${1:-build}")
kio=$build/kio6
[ -x "$kio/preview_job" ] || kio=$build/kio5
[ -x "$kio/preview_job" ] || { echo "KDE's thumbnail plugin is not built in $build"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/share/mime/packages" "$work/out"
cp "$(dirname "$0")/../packaging/triview-mime.xml" "$work/share/mime/packages/triview.xml"
update-mime-database "$work/share/mime" 2>/dev/null
"$build/bench/write_benchmark_model" "$work/model.tri" "$work/model.stl"
files=
for i in 0 1 2 3 4 5 6 7 8 9; do
  cp "$work/model.tri" "$work/model$i.tri"
  files="$files $work/model$i.tri"
done
exec_line=$(sed -n 's/^Exec=//p' "$(dirname "$0")/../packaging/triview.thumbnailer" | sed 's/%s/256/g')
plugins=$kio/plugins
if [ "$kio" = "$build/kio5" ]; then
  # Frameworks 5's plugin runs the triview-thumbnailer installed beside it: install both.
  cmake --install "$build" --prefix "$work/prefix" >/dev/null
  plugins=$(echo "$work"/prefix/lib/*/qt5/plugins)
fi
export PATH="$build/app:$PATH" XDG_DATA_DIRS="$work/share:/usr/share" XDG_CACHE_HOME="$work/cache" \
  QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH="$plugins:$build/bench/plugins"
set -- -n "thumbnailer entry, 10 files" \
  "for f in $files; do $(echo "$exec_line" | sed 's/%o/$f.png/; s/%i/$f/'); done" \
  -n "KIO plugin, 10 files in one PreviewJob" \
  "dbus-run-session -- $kio/preview_job $work/out 256 triviewthumbnail $files"
if [ -e "$build/bench/plugins/kf6/thumbcreator/triviewthumbnail-process.so" ]; then
  set -- "$@" -n "KIO plugin running triview-thumbnailer, 10 files in one PreviewJob" \
    "dbus-run-session -- $kio/preview_job $work/out 256 triviewthumbnail-process $files"
fi
hyperfine --warmup 2 --runs 10 --prepare "rm -rf $work/cache/thumbnails" "$@"
echo "(divide by ten for the time per thumbnail)"
