# Helpers for driving triview on an X display (sourced, POSIX sh): find its
# windows, answer them, close them as a window manager would, look at them.

# Prints the id of the visible window titled exactly $1 of process $2, waiting
# up to 10 s (or wait_tries tenths of a second).
wait_window() {
  for _ in $(seq "${wait_tries:-100}"); do
    id=$(xdotool search --pid "$2" --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "no window titled '$1' appeared" >&2
  return 1
}

# Presses key $2 in window $1. Asks window $1 to close as a window manager's
# close button does (WM_DELETE_WINDOW): Xvfb runs none, and xdotool's
# windowclose destroys the window instead.
press() { xdotool windowfocus --sync "$1" key --clearmodifiers "$2"; }
close_window() { /usr/bin/python3 -c 'import sys; from Xlib import display, protocol
d = display.Display(); atom = d.intern_atom; w = d.create_resource_object("window", int(sys.argv[1], 0))
w.send_event(protocol.event.ClientMessage(window=w, client_type=atom("WM_PROTOCOLS"),
    data=(32, [atom("WM_DELETE_WINDOW"), 0, 0, 0, 0]))); d.flush()' "$1"; }

# Prints the picture area's place in a screenshot of the window of viewer $1
# (its --render draws at that size by default): WxH+8+8.
picture_area() { "$1" --render - | identify -format '%wx%h+8+8' -; }

# Prints the mean brightness (0 to 1) of the picture area in screenshot $1
# of viewer $2's window.
picture_brightness() {
  convert "$1" -crop "$(picture_area "$2")" +repage -colorspace Gray -format '%[fx:mean]' info:
}

# Waits up to 30 s (sanitizer builds end slowly) for child process $1 and
# sets exit_status. Not in a $(...): the process is a child of this shell.
wait_exit() {
  (sleep 30 && kill "$1") >/dev/null 2>&1 & # holds no pipe that a reader would wait on
  watchdog=$!
  exit_status=0
  wait "$1" || exit_status=$?
  kill "$watchdog" 2>/dev/null || true
  [ "$exit_status" -ne 143 ] || echo "the viewer did not end within 30 s" >&2
}
