#!/bin/sh
# The CPU the window's process takes over 10 s with the 10922-triangle
# benchmark model: idle in manual mode, turning by the clock, and unmapped
# while turning (as on a workspace not shown, or minimised), for this build
# beside another triview (a baseline build) when one is named. Needs an X
# display that outlives its clients:
#   xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" sh bench/window_cpu.sh [BUILD_FOLDER [BASELINE_TRIVIEW]]
set -eu
build=$(realpath "${1:-build}")
baseline=${2:-}
. "$(dirname "$0")/../tests/e2e/xdriver.sh"
work=$(mktemp -d)
pid=
trap 'rm -rf "$work"; [ -z "$pid" ] || kill "$pid" 2>/dev/null || true' EXIT
"$build/bench/write_benchmark_model" "$work/model.tri" "$work/model.stl"
hz=$(getconf CLK_TCK)
ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
# The share of a core the process took over the next 10 s.
share() {
  before=$(ticks)
  sleep 10
  awk -v t=$(($(ticks) - before)) -v hz="$hz" 'BEGIN { printf "%9.1f%%", 100 * t / hz / 10 }'
}
printf '%-9s %10s %10s %10s\n' program manual clock hidden
for program in "$build/app/triview" $baseline; do
  "$program" "$work/model.tri" &
  pid=$!
  press "$(wait_window 三角形數 "$pid")" Return
  window=$(wait_window 天才Tovan3D模型秀圖 "$pid")
  sleep 2 # start-up done, the first frames drawn
  manual=$(share)
  press "$window" Tab && press "$window" Tab && press "$window" space # the check box: by the clock
  clock=$(share)
  xdotool windowunmap --sync "$window"
  hidden=$(share)
  name=$([ "$program" = "$build/app/triview" ] && echo this || echo baseline)
  printf '%-9s %10s %10s %10s\n' "$name" "$manual" "$clock" "$hidden"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=
done
