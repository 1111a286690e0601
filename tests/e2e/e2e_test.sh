#!/bin/sh
# End to end, as a user: type a name and cancel, confirm the warning, see the
# demonstration model, close the window (status 0); then name a file that is
# not there and read the report, under the program's own title (status 1).
# usage: e2e_test.sh PATH_TO_TRIVIEW
set -eu
viewer=$1
xdriver_source=$0
. "$(dirname "$0")/xdriver.sh"
work=$(mktemp -d)
pid=
trap 'rm -rf "$work"; [ -n "$pid" ] && kill "$pid" 2>/dev/null; true' EXIT
fail() { echo "e2e: $*" >&2; exit 1; }

"$viewer" & pid=$!
dialog=$(wait_window 檔名輸入 "$pid")
xdotool windowfocus --sync "$dialog" type "typed, then cancelled"
press "$dialog" Escape
press "$(wait_window 警告 "$pid")" Return
main=$(wait_window 天才Tovan3D模型秀圖 "$pid")
sleep 1 # a few ticks of the timer
import -window "$main" "$work/window.png"
awk -v b="$(picture_brightness "$work/window.png")" 'BEGIN { exit !(b > 0.02) }' ||
  fail "the picture area is black"
close_window "$main"
wait_exit "$pid"
[ "$exit_status" -eq 0 ] || fail "closing ended with status $exit_status"

"$viewer" & pid=$!
dialog=$(wait_window 檔名輸入 "$pid")
xdotool windowfocus --sync "$dialog" type "$work/missing.tri"
press "$dialog" Return
press "$(wait_window triview "$pid")" Return
wait_exit "$pid"
pid=
[ "$exit_status" -eq 1 ] || fail "a missing file ended with status $exit_status"
