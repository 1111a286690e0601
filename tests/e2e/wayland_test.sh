#!/bin/sh
# The window on a Wayland desktop, a headless sway: its first frame at scale
# 2 is --render's picture at that pixel size, whole and sharp; so it is after
# the output's scale changes and after a move to an output of another scale,
# and at scale 1 after a drag, a wheel notch and keys. A failed model's
# report is the window's child. A stopped compositor is a display that does
# not answer: status 1 within 6 s.
# usage: wayland_test.sh PATH_TO_TRIVIEW
set -eu
viewer=$(realpath "$1")
check="/usr/bin/python3 $(cd "$(dirname "$0")/../support" && pwd)/picture_check.py"
cube=$(cd "$(dirname "$0")/../../examples" && pwd)/cube.tri
work=$(mktemp -d)
chmod 711 "$work"
sway=
trap 'kill -CONT $sway 2>/dev/null; kill $sway $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "wayland: $* (sway: $(tail -n 2 "$work/sway.log"))" >&2; exit 1; }

# A fresh sway, one output of scale $1, title bars left to the window; as nobody for root.
start_sway() {
  [ -z "$sway" ] || { kill "$sway" && wait "$sway" || true; }
  rm -rf "$work/sway" "$work/run" && mkdir -m 755 "$work/sway" && mkdir -m 700 "$work/run"
  as=; [ "$(id -u)" -ne 0 ] || { chown nobody "$work/sway"; as="setpriv --reuid=nobody --regid=nogroup --clear-groups"; }
  printf '%s\n' "output HEADLESS-1 resolution 2048x1600 scale $1" "swaybg_command -" \
    'for_window [app_id="triview"] floating enable, border csd' >"$work/config"
  env -i PATH="$PATH" HOME="$work/sway" XDG_RUNTIME_DIR="$work/sway" WLR_BACKENDS=headless \
    WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman $as sway -c "$work/config" >"$work/sway.log" 2>&1 &
  sway=$!
  for _ in $(seq 100); do
    SWAYSOCK=$(ls "$work"/sway/sway-ipc.*.sock 2>/dev/null) && [ -S "$work/sway/wayland-1" ] && break
    sleep 0.1
  done
  [ -S "$work/sway/wayland-1" ] || fail "sway did not start"
  export SWAYSOCK
}
# What a Wayland session gives a program: no X display.
wayland() { env -u DISPLAY XDG_SESSION_TYPE=wayland XDG_RUNTIME_DIR="$work/run" WAYLAND_DISPLAY="$work/sway/wayland-1" "$@"; }
# Waits for a window titled $1; with Return, presses it until the window is
# gone. Each wtype is a new keyboard, whose key can come before its keymap.
window() {
  for _ in $(seq 100); do swaymsg -t get_tree | grep -q "\"name\": \"$1\"" && break; sleep 0.1; done
  for _ in $(seq 20); do
    [ "${2:-}" = Return ] || return 0
    wayland wtype -s 300 -k Return
    swaymsg -t get_tree | grep -q "\"name\": \"$1\"" || return 0
  done
  fail "no window '$1' that Return closes"
}
# The cube, named relative to the working folder, in a window in its
# output's corner, where any scale leaves it whole; on GNOME.
open_cube() {
  (cd "$(dirname "$cube")" && XDG_CURRENT_DESKTOP=ubuntu:GNOME QT_DEBUG_PLUGINS=1 wayland "$viewer" cube.tri \
    2>"$work/plugins") &
  window 三角形數 Return
  window 天才Tovan3D模型秀圖
  swaymsg -q '[app_id="triview"] move position 0 0'
}
close_window() { swaymsg -q '[app_id="triview"] kill' && wait $! || fail "closing: status $?"; }
# Whether output $1 shows, within a few ticks, the whole frame --render draws
# at $2 times its size, of model $4 (the cube unless given).
shows_frame() {
  frame=$work/$(basename "${4:-$cube}" .tri)-$2.png
  [ -f "$frame" ] || "$viewer" --render "$frame" --size "$(
    identify -format "%[fx:w*$2]x%[fx:h*$2]" "$work/cube-1.png")" "${4:-$cube}"
  for _ in $(seq 20); do
    sleep 0.25
    wayland grim -o "$1" "$work/shot.png" && $check within "$work/shot.png" "$frame" && return 0
  done
  cp "$work/shot.png" /tmp/wayland-test-shot.png
  fail "$3: no whole frame at scale $2 (/tmp/wayland-test-shot.png)"
}

"$viewer" --render "$work/cube-1.png" "$cube"
start_sway 2
open_cube
shows_frame HEADLESS-1 2 "opened at scale 2"
# Where the compositor draws no title bar (GNOME's; here, "border csd"), Qt
# draws GNOME's on GNOME, where it has it.
! ls /usr/lib/*/qt6/plugins/wayland-decoration-client/libadwaita.so >/dev/null 2>&1 ||
  grep -q "libadwaita.so\" loaded library" "$work/plugins" || fail "no GNOME title bar on GNOME"
# Qt's Wayland plugin follows a new scale from Qt 6.6 on; before, the
# compositor stretches the whole window, the picture whole in it.
if pkg-config --atleast-version 6.6 Qt6Gui; then
  swaymsg -q output HEADLESS-1 scale 1
  shows_frame HEADLESS-1 1 "from scale 2 to 1"
  swaymsg -q create_output
  swaymsg -q output HEADLESS-2 resolution 2048x1600 position 2048 0 scale 2
  swaymsg -q '[app_id="triview"] move container to output HEADLESS-2, move position 0 0'
  shows_frame HEADLESS-2 2 "moved to an output of scale 2"
fi
close_window

# At scale 1, a drag, a wheel notch and keys through a virtual pointer and
# keyboard; the window then shows --render's picture of the pose its
# description reports (AT-SPI).
start_sway 1
wayland dbus-run-session -- /usr/bin/python3 "$(dirname "$0")/atspi_tree.py" "$viewer" "$cube" wayland \
  >"$work/atspi.log" 2>&1 || fail "the mouse: $(tail -n 3 "$work/atspi.log")"
tail -n 2 "$work/atspi.log"

# Counted, then failing at its second line once the window is up; the box
# is the window's child as libwayland logs the requests (@ or # before ids).
printf 'Triangle\n1 0 0 x\n0 0 0\n1 0 0\n0 1 0\n' >"$work/bad.tri"
WAYLAND_DEBUG=client wayland "$viewer" "$work/bad.tri" 2>"$work/protocol" &
window 三角形數 Return
window triview Return
wait $! && fail "a model that fails to load ended well"
grep -q 'xdg_toplevel[@#][0-9]*\.set_parent(xdg_toplevel[@#]' "$work/protocol" ||
  fail "the report is not the window's child"

kill -STOP "$sway"
started=$(date +%s)
said=$(wayland "$viewer" "$cube" 2>&1) && fail "a stopped compositor: status 0"
[ $(($(date +%s) - started)) -le 6 ] && echo "$said" | grep -q "the Wayland display .* did not answer in 5 s" ||
  fail "a stopped compositor: $said"
