#!/bin/sh
# Runs every benchmark of a build folder (default: build), each with its
# baseline in the same run.
set -eu
build=${1:-build}
for bench in "$build"/bench/*_bench; do
  echo "== $(basename "$bench")"
  "$bench" --benchmark_min_time=0.5
done
