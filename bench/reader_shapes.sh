#!/bin/sh
# The whole program on files shaped to be slow to read (a gigabyte of one
# pattern each, or four of a sparse file), each counted, then loaded or
# refused, as --render does it at 64 pixels, beside `cat FILE > /dev/null`,
# the speed of memory. Prints, per shape, the best of three runs of each,
# in seconds and GB/s, and the sparse file's resident pages afterwards.
# usage: bench/reader_shapes.sh [BUILD_FOLDER [FOLDER_FOR_THE_FILES [SHAPE...]]]
# (The files take 10 GiB of disk, 16 MB of it for the sparse one, and stay
# in the folder, default /tmp/triview-shapes, for the next run.)
set -eu
build=$(realpath "${1:-build}")
files=${2:-/tmp/triview-shapes}
[ $# -gt 2 ] && shift 2 && shapes=$* ||
  shapes="line-ends T T-4GiB TriangleTriangle Triangl-lines digit-field blank-group sparse-4GiB"
mkdir -p "$files"
cd "$files"
gib=$((1 << 30))

fill() { # fill BYTES TEXT: TEXT repeated, BYTES long
  yes "$2" | tr -d '\n' | head -c "$1"
}
make_shape() { # make_shape NAME: writes the file NAME once
  [ -s "$1" ] && return
  case $1 in
  line-ends) head -c $gib /dev/zero | tr '\0' '\n' ;;
  T) head -c $gib /dev/zero | tr '\0' T ;;
  T-4GiB) head -c $((4 * gib)) /dev/zero | tr '\0' T ;;
  TriangleTriangle) fill $gib Triangle ;;
  Triangl-lines) yes Triangl | head -c $gib ;;
  digit-field) printf 'Triangle\n' && head -c $gib /dev/zero | tr '\0' 7 && printf ',0,0\n' ;;
  blank-group) printf 'Triangle\n1,' && head -c $gib /dev/zero | tr '\0' ' ' && printf '2,3,0,0,0\n' ;;
  sparse-4GiB) python3 -c "
with open('sparse-4GiB.part', 'r+b') as f:
    for mib in range(4096):
        f.seek(mib << 20)
        f.write(b'x')
    f.truncate(4 << 30)" ;;
  esac >"$1.part"
  mv "$1.part" "$1"
}

best() { # best COMMAND...: the least of three wall times, in seconds
  for _ in 1 2 3; do
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || :
    echo $((($(date +%s%N) - start) / 1000))
  done | sort -n | head -n 1 | awk '{ printf "%.3f", $1 / 1e6 }'
}

rate() { awk -v bytes="$1" -v seconds="$2" 'BEGIN { printf "%.2f", bytes / seconds / 1e9 }'; }
printf '%-18s %9s %6s %9s %6s\n' shape triview GB/s cat GB/s
for shape in $shapes; do
  make_shape "$shape"
  bytes=$(stat -c %s "$shape")
  if [ "$shape" = sparse-4GiB ]; then
    dd if="$shape" iflag=nocache count=0 2>/dev/null # out of the cache: what reading it brings back
  else
    cat "$shape" >/dev/null # in the page cache, as a file just downloaded is
  fi
  ours=$(best "$build/app/triview" --render "$files/out.png" --size 64x64 "$shape")
  [ "$shape" = sparse-4GiB ] && resident=$(fincore -n -o RES "$shape")
  theirs=$(best sh -c "cat '$shape' >/dev/null")
  printf '%-18s %8ss %6s %8ss %6s\n' "$shape" "$ours" "$(rate "$bytes" "$ours")" "$theirs" \
    "$(rate "$bytes" "$theirs")"
done
[ -z "${resident:-}" ] || echo "sparse-4GiB: $resident of it resident after triview read it"
