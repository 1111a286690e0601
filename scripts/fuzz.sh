#!/bin/sh
# Builds the libFuzzer targets with clang and runs them for a fifth each of
# the given number of seconds (default 60), from their seed corpora: the
# reader on text in memory and on files with holes, the fit of a model to a
# picture, the software renderer with no fit, and the picture writer.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=build-fuzz

./scripts/install-deps.sh
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTRIVIEW_FUZZ=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target tri_reader_fuzzer tri_file_fuzzer fit_fuzzer \
  software_device_fuzzer picture_writer_fuzzer

# Work on copies: what the fuzzers find new stays out of the repository.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$build/findings"
fuzz() { # fuzz TARGET CORPUS SECONDS
  mkdir "$work/$1"
  cp "tests/fuzz/$2"/* "$work/$1"/
  "$build/tests/fuzz/$1" -max_total_time="$3" -max_len=65536 -artifact_prefix="$build/findings/" \
    -print_final_stats=1 "$work/$1"
}
fifth=$((seconds / 5))
fuzz tri_reader_fuzzer corpus "$fifth"
fuzz tri_file_fuzzer corpus-holes "$fifth"
fuzz fit_fuzzer corpus-fit "$fifth"
fuzz software_device_fuzzer corpus-software "$fifth"
fuzz picture_writer_fuzzer corpus-writer $((seconds - 4 * fifth))
