# Helpers for driving triview on an X display (sourced, POSIX sh): find its
# windows, answer them, close them as a window manager would, look at them.

xdriver_dir=$(cd "$(dirname "${xdriver_source:-$0}")" && pwd)

# Prints the id of the visible window titled exactly $1 that belongs to
# process $2, waiting up to 10 s.
wait_window() {
  tries=0
  while :; do
    id=$(xdotool search --pid "$2" --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    tries=$((tries + 1))
    [ "$tries" -gt 100 ] && { echo "no window titled '$1' appeared" >&2; return 1; }
    sleep 0.1
  done
}

# Focuses window $1 and presses key $2 in it.
press() {
  xdotool windowfocus --sync "$1" key --clearmodifiers "$2"
}

# Focuses window $1 and types text $2.
type_text() {
  xdotool windowfocus --sync "$1" type --delay 5 "$2"
}

# Asks window $1 to close, as its close button would.
close_window() {
  python3 "$xdriver_dir/close_window.py" "$1"
}

# Prints the mean brightness (0 to 1) of the picture area in screenshot $1.
picture_brightness() {
  convert "$1" -crop 633x601+8+8 +repage -colorspace Gray -format '%[fx:mean]' info:
}

# Waits up to 30 s (sanitizer builds end slowly) for child process $1 to end and sets exit_status to its
# exit status. (Not in a $(...): the process is a child of this shell only.)
wait_exit() {
  # The watchdog holds no pipe open, or whoever reads our output would wait
  # for its sleep to end.
  (sleep 30 && kill "$1") >/dev/null 2>&1 &
  watchdog=$!
  exit_status=0
  wait "$1" || exit_status=$?
  kill "$watchdog" 2>/dev/null || true
  [ "$exit_status" -eq 143 ] && echo "the viewer did not end within 30 s" >&2
  return 0
}
