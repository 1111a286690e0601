#!/bin/sh
# End to end, as a user: type a name and cancel, confirm the warning, see the
# demonstration model, close the window (status 0); name a model on the
# command line, relative to the working folder, and see its count, then the
# model; name a missing one there, after "--" and named like an option of
# Qt's, and read the report, under the program's own title (status 1).
# usage: e2e_test.sh PATH_TO_TRIVIEW
set -eu
viewer=$(realpath "$1")
xdriver_source=$0
. "$(dirname "$0")/xdriver.sh"
examples=$(cd "$(dirname "$0")/../../examples" && pwd)
work=$(mktemp -d)
pid=
trap 'rm -rf "$work"; [ -n "$pid" ] && kill "$pid" 2>/dev/null; true' EXIT
fail() { echo "e2e: $*" >&2; exit 1; }
# Looks at the window (its icon, its picture a few ticks in), then closes
# it: status 0.
see_and_close() {
  xprop -id "$1" _NET_WM_ICON | grep -q '_NET_WM_ICON(CARDINAL)' || fail "the window has no icon"
  sleep 1
  import -window "$1" "$work/window.png"
  awk -v b="$(picture_brightness "$work/window.png" "$viewer")" 'BEGIN { exit !(b > 0.02) }' ||
    fail "the picture area is black"
  close_window "$1"
  wait_exit "$pid"
  [ "$exit_status" -eq 0 ] || fail "closing ended with status $exit_status"
}

"$viewer" & pid=$!
dialog=$(wait_window 檔名輸入 "$pid")
xdotool windowfocus --sync "$dialog" type "typed, then cancelled"
press "$dialog" Escape
press "$(wait_window 警告 "$pid")" Return
see_and_close "$(wait_window 天才Tovan3D模型秀圖 "$pid")"

(cd "$examples" && exec "$viewer" cube.tri) & pid=$!
press "$(wait_window 三角形數 "$pid")" Return
see_and_close "$(wait_window 天才Tovan3D模型秀圖 "$pid")"

# A missing file whose name Qt would take for one of its options: the
# arguments are triview's alone.
(cd "$work" && exec "$viewer" -- -widgetcount 2>"$work/err") & pid=$!
press "$(wait_window triview "$pid")" Return
wait_exit "$pid"
pid=
[ "$exit_status" -eq 1 ] || fail "a missing file ended with status $exit_status"
! grep -q 'Widgets left' "$work/err" || fail "Qt read the program's arguments"
