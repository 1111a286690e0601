#!/bin/sh
# The whole program's peak resident memory and time on model files that end
# in a report (empty, one endless field, a sparse file), as /usr/bin/time
# reports them: a user types the name, confirms the count and the report.
# Run on a display, e.g.
#   ./scripts/with-display.sh bench/reader_memory.sh build/app/triview FILE...
set -eu
viewer=$(realpath "$1")
shift
wait_tries=1200 # the old reader took half a minute for 4 GB

. "$(dirname "$0")/../tests/e2e/xdriver.sh"
out=$(mktemp)
trap 'rm -f "$out"' EXIT

for file in "$@"; do
  /usr/bin/time -f "%M %e" -o "$out" "$viewer" 2>/dev/null &
  pid=$!
  sleep 0.5
  viewer_pid=$(pgrep -n -P "$pid")
  dialog=$(wait_window 檔名輸入 "$viewer_pid")
  xdotool windowfocus --sync "$dialog" type "$(realpath "$file")"
  press "$dialog" Return
  press "$(wait_window 三角形數 "$viewer_pid")" Return
  # Then the report of the file's fault (these files are made to have one),
  # over the window; which some window managers name "triview" too.
  main=$(wait_window 天才Tovan3D模型秀圖 "$viewer_pid")
  for _ in $(seq 2400); do
    id=$(xdotool search --pid "$viewer_pid" --onlyvisible --name '^triview$' | grep -v "^$main\$" | head -n 1)
    [ -n "$id" ] && break
    sleep 0.05
  done
  press "$id" Return
  wait "$pid" || true
  read -r kib seconds <<TIMES
$(tail -n 1 "$out")
TIMES
  echo "$(basename "$file"): $(du -h --apparent-size "$file" | cut -f1) peak resident $((kib / 1024)) MB, $seconds s"
done
