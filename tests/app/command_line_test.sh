#!/bin/sh
# The command line with no display: help and version on stdout, usage errors
# (status 2), --render's pictures and its errors (status 1, the report, no
# file left), and the window's own refusal to start without a display.
# usage: command_line_test.sh PATH_TO_TRIVIEW GOLDEN_FOLDER
set -eu
viewer=$(realpath "$1")
golden=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() { echo "command line: $*" >&2; exit 1; }
unset DISPLAY WAYLAND_DISPLAY
run() { # run ARGUMENTS...: the viewer's status in status, its output in out and err
  status=0
  "$viewer" "$@" >out 2>err || status=$?
}

run --help && [ "$status" -eq 0 ] && grep -q -- '--render <OUT.png>' out || fail "--help"
run --version && [ "$status" -eq 0 ] && grep -q '^triview [0-9]' out || fail "--version"
for wrong in "--bogus" "a.tri b.tri" "--render" "--size 4x4" "--render x.png --size 0x9" \
  "--render x.png --size 16385x1" "--render x.png --distance 16" "--render x.png --turn w:1"; do
  # shellcheck disable=SC2086 # the words are the arguments
  run $wrong
  [ "$status" -eq 2 ] && grep -q '^usage: triview' err && [ ! -s out ] && [ ! -e x.png ] ||
    fail "'$wrong' gave status $status"
done

# The demonstration model in the start pose is the frame test's golden picture.
run --render demo.png && [ "$status" -eq 0 ] || fail "--render: status $status, $(cat err)"
[ "$(compare -metric AE demo.png "$golden/demo-start.png" null: 2>&1)" = 0 ] ||
  fail "the demonstration model differs from its golden picture"
printf 'Triangle\r\n1,2,x\r\n' >-x.tri
run --render bad.png -- -x.tri
[ "$status" -eq 1 ] && [ ! -e bad.png ] && grep -q "'13'" err && grep -q '檔案: -x.tri' err &&
  grep -q '第 2 行' err || fail "a bad model: status $status, $(cat err)"
run --render no/such/folder.png
[ "$status" -eq 1 ] && grep -q "'76'" err && [ -z "$(ls no 2>/dev/null)" ] || fail "no folder"
mkdir taken.png
run --render taken.png
[ "$status" -eq 1 ] && grep -q "'75'" err || fail "a folder in the way: status $status"
ls | grep -q 'png\.' && fail "a half-written picture was left behind"

run && [ "$status" -eq 1 ] && grep -q 'needs a display; to write a picture without one, use --render' err ||
  fail "with no display: status $status"
DISPLAY=:65535 run && [ "$status" -eq 1 ] || fail "with an unreachable display: status $status"
