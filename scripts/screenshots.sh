#!/bin/sh
# Takes the README's screenshots of the running viewer, on a fresh Xvfb:
# the start dialog, the demonstration model, a loaded example turned with
# the buttons, and automatic rotation; a picture made by --render; a model
# exported to glTF, open in Blender; and
# Thunar showing the examples' thumbnails, made by tumbler through the
# thumbnailer entry of an installation into a temporary folder, and Dolphin
# showing them made by KDE's plugin from the same installation, where it is
# built (run it as a user other than root, or Thunar shows a warning bar).
# usage: screenshots.sh [PATH_TO_TRIVIEW [OUTPUT_FOLDER]]
set -eu
cd "$(dirname "$0")/.."
viewer=$(realpath "${1:-build/app/triview}")
out=${2:-docs/screenshots}

if [ -z "${TRIVIEW_ON_XVFB:-}" ]; then
  exec xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24 -noreset" \
    env TRIVIEW_ON_XVFB=1 "$0" "$viewer" "$out"
fi

. tests/e2e/xdriver.sh
mkdir -p "$out"

# Types text $2 in window $1; clicks at x, y inside window $1.
type_text() { xdotool windowfocus --sync "$1" type --delay 5 "$2"; }
click() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
}

# The start dialog, then the demonstration model.
"$viewer" 2>/dev/null &
pid=$!
dialog=$(wait_window 檔名輸入 "$pid")
sleep 0.3
import -window "$dialog" "$out/start-dialog.png"
press "$dialog" Escape
press "$(wait_window 警告 "$pid")" Return
main=$(wait_window 天才Tovan3D模型秀圖 "$pid")
sleep 1
import -window "$main" "$out/demo.png"
close_window "$main"
wait_exit "$pid"

# An example model, turned a little about Y with the "+" button.
"$viewer" 2>/dev/null &
pid=$!
dialog=$(wait_window 檔名輸入 "$pid")
type_text "$dialog" "$PWD/examples/terrain.tri"
press "$dialog" Return
count=$(wait_window 三角形數 "$pid")
sleep 0.3
import -window "$count" "$out/count-message.png"
press "$count" Return
main=$(wait_window 天才Tovan3D模型秀圖 "$pid")
for _ in 1 2 3 4 5 6; do
  click "$main" 224 663 # Command3, "+" of the Y axis
done
sleep 1
import -window "$main" "$out/example-terrain.png"

# Automatic rotation: the axis frames are switched off while it runs.
click "$main" 342 656 # Check1
sleep 2
import -window "$main" "$out/auto-rotation.png"
close_window "$main"
wait_exit "$pid"

# A picture made by --render, with no display at all.
env -u DISPLAY "$viewer" --render "$out/render-terrain.png" --turn y:-0.9 --distance 7 \
  examples/terrain.tri

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The terrain exported to glTF, open in Blender (given an empty file, so
# that no splash screen covers it).
if command -v blender >/dev/null; then
  env -u DISPLAY "$viewer" --export "$work/terrain.glb" examples/terrain.tri
  HOME=$work/blender blender -b --factory-startup --python-expr \
    "import bpy; [bpy.data.objects.remove(o) for o in list(bpy.data.objects)]
bpy.ops.wm.save_as_mainfile(filepath='$work/empty.blend')" >/dev/null 2>&1
  HOME=$work/blender blender --factory-startup "$work/empty.blend" \
    --python scripts/blender-screenshot.py -- "$work/terrain.glb" "$work/blender.png" >/dev/null 2>&1
  convert "$work/blender.png" -resize 960x -colors 192 "PNG8:$out/export-blender.png"
fi

# Thunar with the examples, a broken model among them, as thumbnails.
cmake --install "$(dirname "$viewer")/.." --prefix "$work/prefix" >/dev/null
update-mime-database "$work/prefix/share/mime"
mkdir "$work/models" "$work/home"
cp examples/*.tri "$work/models"
printf 'Triangle\n1,2,x\n' >"$work/models/broken.tri"
HOME=$work/home XDG_CACHE_HOME=$work/home/cache XDG_CONFIG_HOME=$work/home/config \
  XDG_DATA_DIRS=$work/prefix/share:/usr/local/share:/usr/share PATH=$work/prefix/bin:$PATH \
  dbus-run-session -- sh -c "
    xfconf-query -c thunar -p /last-icon-view-zoom-level -n -t string -s THUNAR_ZOOM_LEVEL_200_PERCENT
    xfconf-query -c thunar -p /last-window-width -n -t int -s 660
    xfconf-query -c thunar -p /last-window-height -n -t int -s 300
    xfconf-query -c thunar -p /last-side-pane -n -t string -s THUNAR_SIDE_PANE_HIDDEN
    thunar '$work/models' & sleep 8
    import -window root -crop 660x300+0+0 '$out/thumbnails.png'
    thunar -q" 2>/dev/null

# Dolphin with the same models, through KIO and KDE's plugin, with the
# preview plugins it enables by default.
# Plasma 6's Dolphin where the plugin is built for KDE Frameworks 6, else 5's.
plugins=$(echo "$work"/prefix/lib/*/qt6/plugins)
[ -d "$plugins/kf6" ] || plugins=$(echo "$work"/prefix/lib/*/qt5/plugins)
if [ -d "$plugins" ]; then
  mkdir -p "$work/home/config"
  printf '[IconsMode]\nIconSize=96\nPreviewSize=96\n' >"$work/home/config/dolphinrc"
  HOME=$work/home XDG_CACHE_HOME=$work/home/cache XDG_CONFIG_HOME=$work/home/config \
    XDG_DATA_DIRS=$work/prefix/share:/usr/local/share:/usr/share PATH=$work/prefix/bin:$PATH \
    QT_PLUGIN_PATH=$plugins dbus-run-session -- sh -c "
      dolphin --new-window '$work/models' & sleep 10
      import -window root '$work/dolphin.png'
      kill \$!" 2>/dev/null
  convert "$work/dolphin.png" -trim +repage "$out/thumbnails-dolphin.png"
fi

ls -l "$out"
