#!/bin/sh
# The whole process that writes a picture of the 10922-triangle benchmark
# model, in one hyperfine run: the floor of any OpenGL picture writer (a bare
# EGL program that clears and reads back 256x256, bench/egl_floor.c), and of
# any that draws (the same with a shader pair and one triangle, --draw),
# triview-thumbnailer (the thumbnailer entry's command) at 256 pixels,
# triview --render at the picture area's size, and f3d --output of the same triangles (as binary STL) at both
# sizes. f3d needs a display (triview does not), so all run on one:
#   ./scripts/with-display.sh bench/render_vs_f3d.sh [BUILD_FOLDER]
# Then the time from starting triview with the model on the command line to
# its count message, and from dismissing that to the first frame on screen
# (looked for every 10 ms or so, so a few tens of milliseconds coarse).
set -eu
build=$(realpath "${1:-build}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/write_benchmark_model" "$work/model.tri" "$work/model.stl"
triview=$build/app/triview

. "$(dirname "$0")/../tests/e2e/xdriver.sh"
area=$(picture_area "$triview") # WxH+X+Y
resolution=$(echo "${area%%+*}" | tr x ,)
hyperfine -N --warmup 5 --runs 40 \
  "$build/bench/egl_floor" \
  "$build/bench/egl_floor --draw" \
  "$build/app/triview-thumbnailer -s 256 -- $work/model.tri $work/thumbnail.png" \
  "$triview --render $work/triview.png $work/model.tri" \
  "f3d --output $work/f3d-256.png --resolution 256,256 $work/model.stl" \
  "f3d --output $work/f3d.png --resolution $resolution $work/model.stl"

now() { date +%s%N; }
for _ in 1 2 3; do
  start=$(now)
  "$build/app/triview" "$work/model.tri" &
  pid=$!
  count=$(wait_window 三角形數 "$pid")
  shown=$(now)
  press "$count" Return
  dismissed=$(now)
  main=$(wait_window 天才Tovan3D模型秀圖 "$pid")
  until import -window "$main" -crop "$area" "$work/frame.png" 2>/dev/null &&
    [ "$(convert "$work/frame.png" -format '%[fx:mean>0.01]' info:)" = 1 ]; do :; done
  drawn=$(now)
  echo "count message after $(((shown - start) / 1000000)) ms;" \
    "first frame $(((drawn - dismissed) / 1000000)) ms after it was dismissed"
  close_window "$main"
  wait_exit "$pid"
done
