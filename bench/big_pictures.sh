#!/bin/sh
# Time and peak memory of --render --fit for the 10922-triangle benchmark
# model at 2048, 4096, 8192 and 16384 pixels a side, as PNG, drawn in
# software (as --fit draws by default) and with OpenGL, beside the same for
# another triview (a baseline build) when one is named.
#   bench/big_pictures.sh [BUILD_FOLDER [BASELINE_TRIVIEW]]
set -eu
build=$(realpath "${1:-build}")
baseline=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/write_benchmark_model" "$work/model.tri" "$work/model.stl"
printf '%-8s %-10s %10s %12s %14s\n' size program seconds "peak MiB" "x RGBA size"
for side in 2048 4096 8192 16384; do
  for name in software gl ${baseline:+baseline}; do
    case $name in
    baseline) set -- "$baseline" ;;
    *) set -- "$build/app/triview" --renderer "$name" ;;
    esac
    /usr/bin/time -f '%e %M' -o "$work/time" "$@" --render "$work/out.png" \
      --size "${side}x$side" --fit -- "$work/model.tri"
    read -r seconds kib <"$work/time"
    awk -v s="$side" -v n="$name" -v t="$seconds" -v k="$kib" 'BEGIN {
      printf "%-8s %-10s %10.1f %12.0f %14.2f\n", s, n, t, k / 1024, k * 1024 / (s * s * 4) }'
  done
done
