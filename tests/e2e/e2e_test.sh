#!/bin/sh
# End to end on X, as a user: type a name and cancel, confirm the warning,
# see the demonstration model, close the window (status 0); name a missing
# model after "--", like an option of Qt's, and read the report under the
# program's own title (status 1). A model that opens: the Wayland test.
# usage: e2e_test.sh PATH_TO_TRIVIEW
set -eu
viewer=$(realpath "$1")
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
# The window: its icon, its picture a few ticks in; closed, status 0.
window=$(wait_window 天才Tovan3D模型秀圖 "$pid")
xprop -id "$window" _NET_WM_ICON | grep -q '_NET_WM_ICON(CARDINAL)' || fail "the window has no icon"
sleep 1
import -window "$window" "$work/window.png"
awk -v b="$(picture_brightness "$work/window.png" "$viewer")" 'BEGIN { exit !(b > 0.02) }' ||
  fail "the picture area is black"
close_window "$window"
wait_exit "$pid"
[ "$exit_status" -eq 0 ] || fail "closing ended with status $exit_status"

# A missing file whose name Qt would take for one of its options: the
# arguments are triview's alone.
(cd "$work" && exec "$viewer" -- -widgetcount 2>"$work/err") & pid=$!
press "$(wait_window triview "$pid")" Return
wait_exit "$pid"
pid=
[ "$exit_status" -eq 1 ] || fail "a missing file ended with status $exit_status"
! grep -q 'Widgets left' "$work/err" || fail "Qt read the program's arguments"
