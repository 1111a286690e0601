#!/bin/sh
# End to end, as a user: start triview, cancel the input box, confirm the
# warning, see the demonstration model drawn, close the window; the viewer
# ends with status 0.
# usage: e2e_test.sh PATH_TO_TRIVIEW
set -eu
viewer=$1
xdriver_source=$0
. "$(dirname "$0")/xdriver.sh"

work=$(mktemp -d)
pid=
trap 'rm -rf "$work"; [ -n "$pid" ] && kill "$pid" 2>/dev/null; true' EXIT

"$viewer" >"$work/stdout" 2>"$work/stderr" &
pid=$!

press "$(wait_window 檔名輸入 "$pid")" Escape
press "$(wait_window 警告 "$pid")" Return
main=$(wait_window 天才Tovan3D模型秀圖 "$pid")
sleep 1 # a few ticks of the timer
import -window "$main" "$work/window.png"
brightness=$(picture_brightness "$work/window.png")
echo "picture area brightness: $brightness"
awk -v b="$brightness" 'BEGIN { exit !(b > 0.02) }' || { echo "the picture area is black"; exit 1; }

close_window "$main"
wait_exit "$pid"
pid=
echo "exit status: $exit_status"
[ "$exit_status" -eq 0 ]
