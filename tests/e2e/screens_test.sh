#!/bin/sh
# On a 16-bit screen the viewer runs as on any other (the end-to-end test);
# on an 8-bit one, where Qt's widgets cannot paint, it says so and ends.
# xvfb-run gets authority files of ours: removing its own temporary folder
# has been seen to fail, its status 5 replacing the viewer's.
# usage: screens_test.sh PATH_TO_TRIVIEW
set -eu
auth=$(mktemp -d)
trap 'rm -rf "$auth"' EXIT
xvfb-run -a -f "$auth/16" -s "-screen 0 1280x1024x16 -noreset" sh "$(dirname "$0")/e2e_test.sh" "$1"
status=0
said=$(xvfb-run -a -f "$auth/8" -s "-screen 0 640x480x8" "$1" 2>&1 >/dev/null) || status=$?
[ "$status" -eq 1 ] && echo "$said" | grep -q "needs a screen of 15 bits a pixel or more; this one has 8" ||
  { echo "on 8 bits: status $status, $said" >&2; exit 1; }
