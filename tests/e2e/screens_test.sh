#!/bin/sh
# On a 16-bit screen the viewer runs as on any other (the end-to-end test);
# on an 8-bit one, where Qt's widgets cannot paint, it says so and ends.
# usage: screens_test.sh PATH_TO_TRIVIEW
set -eu
viewer=$1
# xvfb-run is given an authority file of ours: its own temporary folder has
# been seen to fail its removal (status 5 in place of the command's).
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
on_screen() { # DEPTH COMMAND...
  depth=$1
  shift
  xvfb-run -a -f "$scratch/auth-$depth" -s "-screen 0 1280x1024x$depth -noreset" "$@"
}
on_screen 16 sh "$(dirname "$0")/e2e_test.sh" "$viewer"
status=0
said=$(on_screen 8 "$viewer" 2>&1 >/dev/null) || status=$?
[ "$status" -eq 1 ] && echo "$said" | grep -q "needs a screen of 15 bits a pixel or more; this one has 8" ||
  { echo "on 8 bits: status $status, $said" >&2; exit 1; }
