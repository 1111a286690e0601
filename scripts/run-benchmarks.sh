#!/bin/sh
# Runs every benchmark of a build folder (default: build), each with its
# baseline in the same run. Those whose baseline is another build's triview
# (the window's start and CPU, big pictures) take it from TRIVIEW_BASELINE.
set -eu
build=${1:-build}
for bench in "$build"/bench/*_bench; do
  echo "== $(basename "$bench")"
  "$bench" --benchmark_min_time=0.5
done
echo "== thumbnails"
"$(dirname "$0")/../bench/thumbnails.sh" "$build"
echo "== render_vs_f3d"
"$(dirname "$0")/../bench/render_vs_f3d.sh" "$build"
if [ -x "$build/kio6/preview_job" ] || [ -x "$build/kio5/preview_job" ]; then
  echo "== kio_thumbnail"
  "$(dirname "$0")/../bench/kio_thumbnail.sh" "$build"
fi
echo "== watch_latency"
"$build/bench/watch_latency"
echo "== window_start"
model=$(mktemp)
"$build/bench/write_benchmark_model" "$model" "$model.stl"
/usr/bin/python3 "$(dirname "$0")/../bench/window_start.py" "$model" 20 "$build/app/triview" ${TRIVIEW_BASELINE:-}
rm -f "$model" "$model.stl"
echo "== window_cpu"
"$(dirname "$0")/../bench/window_cpu.sh" "$build" ${TRIVIEW_BASELINE:-}
echo "== big_pictures"
"$(dirname "$0")/../bench/big_pictures.sh" "$build" ${TRIVIEW_BASELINE:-}
