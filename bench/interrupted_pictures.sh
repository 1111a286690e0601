#!/bin/sh
# How often a picture is left not whole when triview is ended by a signal
# while it draws and writes: RUNS runs each (default 200) of --render to a
# new OUT and over an existing one, 2000x2000 BMP (12 MB), each sent SIGINT,
# SIGTERM or SIGHUP at a random moment of the last fifth of its run, where
# the picture is written. OUT must be afterwards
# either what it was (absent, or the old picture) or the whole new picture.
#   bench/interrupted_pictures.sh [BUILD_FOLDER [RUNS]]
set -eu
viewer=$(realpath "${1:-build}")/app/triview
runs=${2:-200}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$(dirname "$viewer")/../../examples/cube.tri" model.tri 2>/dev/null ||
  printf 'Triangle\n255,0,0,0,0,0\n0,0,0,0,0,0\n9,0,0,0,0,0\n0,9,0,0,0,0\n' >model.tri
"$viewer" --render new.bmp --size 2000x2000 model.tri
"$viewer" --render old.bmp --size 2000x2000 --turn y:1 model.tri
start=$(date +%s%N)
"$viewer" --render timed.bmp --size 2000x2000 model.tri
span=$((($(date +%s%N) - start) / 1000)) # microseconds a run takes
for mode in new in-place; do
  broken=0 ended=0
  i=0
  while [ "$i" -lt "$runs" ]; do
    i=$((i + 1))
    rm -f out.bmp .triview-*
    [ "$mode" = new ] || cp old.bmp out.bmp
    "$viewer" --render out.bmp --size 2000x2000 model.tri 2>/dev/null &
    pid=$!
    delay=$(shuf -i $((span * 4 / 5))-"$span" -n 1)
    sleep "$(awk -v d="$delay" 'BEGIN { printf "%.6f", d / 1e6 }')"
    kill -s "$(shuf -e INT TERM HUP -n 1)" "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || ended=$((ended + 1))
    if [ -e out.bmp ] && ! cmp -s out.bmp new.bmp && ! cmp -s out.bmp old.bmp; then
      broken=$((broken + 1))
    fi
    [ "$mode" = in-place ] || [ -e out.bmp ] || ! ls -A | grep -q '^\.triview-' || broken=$((broken + 1))
  done
  echo "$mode: $runs runs, $ended ended by the signal, $broken not whole"
done
