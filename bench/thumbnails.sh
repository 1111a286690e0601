#!/bin/sh
# A thumbnail's whole process, for the 10922-triangle benchmark model at 256
# pixels, in one hyperfine run beside its floors and its baseline:
# - bench/blank_thumbnail, which reads the model as the thumbnailer does and
#   writes a blank PNG of the same size: what any thumbnailer pays but the
#   drawing;
# - bench/egl_floor, a bare EGL program that clears and reads back 256x256:
#   what any OpenGL thumbnailer pays before it draws anything;
# - triview-thumbnailer, the thumbnailer entry's command: software, no Qt;
# - triview --render --fit in software, and in OpenGL (the way thumbnails
#   were drawn before the software renderer).
# Then the models made to be slow to draw (stacked: each triangle nearer than
# the last; crossing: no one order nearest first), beside the benchmark
# model, at 256 and 1024 pixels, and the stacked one drawn by OpenGL.
# Then a folder of 100 models, thumbnailed one process each, both ways.
#   bench/thumbnails.sh [BUILD_FOLDER]
set -eu
build=$(realpath "${1:-build}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/write_benchmark_model" "$work/model.tri" "$work/model.stl" "$work/stacked.tri" \
  "$work/crossing.tri"
triview=$build/app/triview
thumbnailer=$build/app/triview-thumbnailer
fit="--format png --size 256x256 --fit --transparent"
hyperfine -N --warmup 5 --runs 40 \
  "$build/bench/blank_thumbnail 256 $work/model.tri $work/blank.png" \
  "$build/bench/egl_floor" \
  "$thumbnailer -s 256 -- $work/model.tri $work/entry.png" \
  "$triview --render $work/software.png $fit -- $work/model.tri" \
  "$triview --render $work/gl.png $fit --renderer gl -- $work/model.tri"

slow=""
for size in 256 1024; do
  for model in model stacked crossing; do
    slow="$slow|$thumbnailer -s $size -- $work/$model.tri $work/$model-$size.png"
  done
done
IFS='|'
# shellcheck disable=SC2086 # split on | only
hyperfine -N --warmup 1 --runs 5 ${slow#|} \
  "$triview --render $work/gl.png --size 1024x1024 --fit --transparent --renderer gl -- $work/stacked.tri"
unset IFS

mkdir "$work/folder"
for i in $(seq 100); do cp "$work/model.tri" "$work/folder/model $i.tri"; done
cat >"$work/folder.sh" <<SCRIPT
# folder.sh thumbnailer|gl: every model of the folder, one process each
for model in "$work"/folder/*.tri; do
  case \$1 in
  thumbnailer) "$thumbnailer" -s 256 -- "\$model" "\$model.png" ;;
  gl) "$triview" --render "\$model.png" $fit --renderer gl -- "\$model" ;;
  esac
done
SCRIPT
hyperfine --warmup 1 --runs 5 "sh $work/folder.sh thumbnailer" "sh $work/folder.sh gl"
