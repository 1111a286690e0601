#!/bin/sh
# The window on a Wayland desktop, a headless sway, as a user there meets
# it: its first frame, at scale 1 and at scale 2, is the picture --render
# draws at that pixel size, whole and sharp; so it is again after the
# output's scale changes, and after a move to an output of another scale.
# The report of a model that fails to load is the window's child. A stopped
# compositor is a display that does not answer: its line and status 1,
# within 6 s.
# usage: wayland_test.sh PATH_TO_TRIVIEW
set -eu
viewer=$(realpath "$1")
check="/usr/bin/python3 $(cd "$(dirname "$0")/../support" && pwd)/picture_check.py"
cube=$(cd "$(dirname "$0")/../../examples" && pwd)/cube.tri
work=$(mktemp -d)
chmod 711 "$work"
sway=
pid=
stop_sway() {
  [ -n "$sway" ] || return 0
  kill -CONT "$sway" 2>/dev/null && kill "$sway" && wait "$sway" || true
  sway=
}
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; stop_sway; rm -rf "$work"' EXIT
fail() { echo "wayland: $* (sway's log: $(tail -n 3 "$work/sway.log"))" >&2; exit 1; }

# Starts a fresh sway with one output of scale $1; sway refuses to run as
# root, and then runs as nobody, in a folder of its own.
start_sway() {
  stop_sway
  rm -rf "$work/sway" "$work/run"
  mkdir -m 755 "$work/sway" && mkdir -m 700 "$work/run"
  as_user=
  if [ "$(id -u)" -eq 0 ]; then
    chown nobody "$work/sway"
    as_user="setpriv --reuid=nobody --regid=nogroup --clear-groups"
  fi
  printf '%s\n' "output HEADLESS-1 resolution 2048x1600 scale $1" "default_border none" \
    'for_window [app_id="triview"] floating enable' >"$work/config"
  env -i PATH="$PATH" HOME="$work/sway" XDG_RUNTIME_DIR="$work/sway" WLR_BACKENDS=headless \
    WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman $as_user sway -c "$work/config" >"$work/sway.log" 2>&1 &
  sway=$!
  for _ in $(seq 100); do
    [ -S "$work/sway/wayland-1" ] && SWAYSOCK=$(ls "$work"/sway/sway-ipc.*.sock 2>/dev/null) && break
    sleep 0.1
  done
  [ -S "$work/sway/wayland-1" ] && [ -n "${SWAYSOCK:-}" ] || fail "sway did not start"
  export SWAYSOCK
}
# What a Wayland session gives a program: no X display.
wayland() {
  env -u DISPLAY XDG_SESSION_TYPE=wayland XDG_RUNTIME_DIR="$work/run" \
    WAYLAND_DISPLAY="$work/sway/wayland-1" "$@"
}

# Whether a window titled $1 is there; waits up to 10 s for it.
windows() { swaymsg -r -t get_tree | /usr/bin/python3 -c '
import json, sys
def names(node):
    yield node.get("name")
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        yield from names(child)
sys.exit(sys.argv[1] not in names(json.load(sys.stdin)))' "$1"; }
wait_window() {
  for _ in $(seq 100); do
    windows "$1" && return 0
    sleep 0.1
  done
  fail "no window '$1' appeared"
}
# Presses Return until the box titled $1 is gone (a new virtual keyboard's
# first key can come before the focus does).
confirm() {
  wait_window "$1"
  for _ in $(seq 20); do
    wayland wtype -k Return
    windows "$1" || return 0
    sleep 0.25
  done
  swaymsg -t get_tree > /src/tree.json; cp "$work/protocol" /src/protocol.txt 2>/dev/null; swaymsg -t get_seats > /src/seats.json
  fail "Return did not close '$1'"
}
# Opens the cube in a window in its output's corner, where any scale
# leaves it whole.
open_cube() {
  wayland "$viewer" "$cube" &
  pid=$!
  confirm 三角形數
  wait_window 天才Tovan3D模型秀圖
  swaymsg -q '[app_id="triview"] move position 0 0'
}
close_window() {
  swaymsg -q '[app_id="triview"] kill'
  wait "$pid" || fail "closing ended with status $?"
  pid=
}
# Whether the picture area on output $1 shows the whole frame --render
# draws at $2 times the window's size; given a few ticks to.
shows_frame() {
  [ -f "$work/frame-$2.png" ] || "$viewer" --render "$work/frame-$2.png" --size "$(
    identify -format "%[fx:w*$2]x%[fx:h*$2]" "$work/frame-1.png")" "$cube"
  for _ in $(seq 20); do
    sleep 0.25
    wayland grim -o "$1" "$work/shot.png" 2>/dev/null || continue
    $check within "$work/shot.png" "$work/frame-$2.png" && return 0
  done
  cp "$work/shot.png" "/tmp/wayland-test-shot-$2.png"
  fail "$3: the picture area does not show the frame at scale $2 (/tmp/wayland-test-shot-$2.png)"
}

"$viewer" --render "$work/frame-1.png" "$cube"
start_sway 2
# Qt's Wayland plugin follows an output's new scale from Qt 6.6 on; before,
# the compositor stretches the whole window, the picture in it whole.
start_sway 1
if false; then
if pkg-config --atleast-version 6.6 Qt6Gui; then
  swaymsg -q output HEADLESS-1 scale 2
  shows_frame HEADLESS-1 2 "from scale 1 to 2"
  swaymsg -q create_output
  swaymsg -q output HEADLESS-2 resolution 2048x1600 position 1024 0 scale 1
  swaymsg -q '[app_id="triview"] move container to output HEADLESS-2'
  swaymsg -q '[app_id="triview"] move position 0 0'
  shows_frame HEADLESS-2 1 "moved to an output of scale 1"
fi
fi

# Counted, then failing at its second line's numbers once the window is up.
start_sway 1
printf 'Triangle\n1 0 0 x\n0 0 0\n1 0 0\n0 1 0\n' >"$work/bad.tri"
WAYLAND_DEBUG=client wayland "$viewer" "$work/bad.tri" 2>"$work/protocol" &
pid=$!
confirm 三角形數
confirm triview
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 1 ] || fail "a model that fails to load ended with status $status"
grep -q 'xdg_toplevel@[0-9]*\.set_parent(xdg_toplevel@' "$work/protocol" ||
  fail "the report is not the window's child"

kill -STOP "$sway"
started=$(date +%s)
status=0
said=$(wayland "$viewer" "$cube" 2>&1) || status=$?
[ "$status" -eq 1 ] && [ $(($(date +%s) - started)) -le 6 ] &&
  echo "$said" | grep -q "the Wayland display .* did not answer in 5 s" ||
  fail "a stopped compositor: status $status, $said"
