#!/bin/sh
# The window through the accessibility bus that screen readers read
# (at-spi2-core, on a private session bus), with Qt's bridge switched on as
# a screen reader's session does: tests/e2e/atspi_tree.py reads the tree,
# and drags on the picture through the X server.
# usage: atspi_test.sh PATH_TO_TRIVIEW
set -eu
viewer=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
cube=$(cd "$here/../../examples" && pwd)/cube.tri
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
dbus-run-session -- sh -c '
  "$1" "$2" 2>/dev/null &
  status=0
  /usr/bin/python3 "$3/atspi_tree.py" "$1" "$2" "$4" || status=$?
  kill $! 2>/dev/null
  exit $status' sh "$viewer" "$cube" "$here" "$work"
