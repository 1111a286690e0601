#!/bin/sh
# Builds the tri reader's libFuzzer target with clang and runs it for the
# given number of seconds (default 60), starting from the seed corpus.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=build-fuzz

./scripts/install-deps.sh
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTRIVIEW_FUZZ=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target tri_reader_fuzzer

# Work on a copy: what the fuzzer finds new stays out of the repository.
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp tests/fuzz/corpus/* "$corpus"/
mkdir -p "$build/findings"
"$build/tests/fuzz/tri_reader_fuzzer" -max_total_time="$seconds" -max_len=65536 \
  -artifact_prefix="$build/findings/" -print_final_stats=1 "$corpus"
