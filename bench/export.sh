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
hyperfine -N --warmup 3 --runs 20 --export-json "$work/times.json" ${commands#|} >/dev/null
unset IFS
# One row a format: triview, its floor, Assimp, in milliseconds (mean ± σ).
/usr/bin/python3 - "$work/times.json" <<'TABLE'
import json, sys
runs = json.load(open(sys.argv[1]))["results"]
print("| Format | triview --export | floor | ratio | assimp export |")
print("|---|---:|---:|---:|---:|")
for i in range(0, len(runs), 3):
    ours, floor, assimp = (runs[i + k] for k in range(3))
    ms = lambda r: f"{r['mean'] * 1000:.1f} ± {r['stddev'] * 1000:.1f}"
    name = ours["command"].split("--format ")[1].split()[0]
    print(f"| {name} | {ms(ours)} | {ms(floor)} | {ours['mean'] / floor['mean']:.2f} | {ms(assimp)} |")
TABLE
