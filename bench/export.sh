#!/bin/sh
# triview --export of the 10922-triangle benchmark model to each format, in
# one hyperfine run beside, for each format:
# - bench/export_floor, which reads the model as --export does and writes
#   as many bytes as the export, unencoded: what any exporter pays;
# - Assimp's own command line (`assimp export`) converting the same
#   triangles from the binary PLY that triview writes.
#   bench/export.sh [BUILD_FOLDER]
set -eu
build=$(realpath "${1:-build}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/write_benchmark_model" "$work/model.tri" "$work/model.stl"
triview=$build/app/triview
"$triview" --export "$work/source.ply" "$work/model.tri"
assimp version | head -n 1
commands=""
# triview's format, its extension, Assimp's format id
for row in glb:glb:glb2 gltf:gltf:gltf2 ply:ply:plyb ply-ascii:ply:ply obj:obj:obj stl:stl:stlb \
  3mf:3mf:3mf fbx:fbx:fbx; do
  IFS=: read -r format extension assimp <<ROW
$row
ROW
  out=$work/out-$format.$extension
  "$triview" --export "$out" --format "$format" "$work/model.tri"
  bytes=$(stat -c %s "$out")
  echo "$format: $bytes bytes"
  commands="$commands|$triview --export $out --format $format $work/model.tri"
  commands="$commands|$build/bench/export_floor $bytes $work/model.tri $work/floor-$format"
  commands="$commands|assimp export $work/source.ply $work/assimp-$format.$extension -f$assimp"
done
IFS='|'
# shellcheck disable=SC2086 # split on | only
hyperfine -N --warmup 3 --runs 20 --export-markdown "$work/table.md" ${commands#|} >/dev/null
unset IFS
sed "s|$work/||g; s|$build/||g" "$work/table.md"
