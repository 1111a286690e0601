#!/bin/sh
# Runs a command on the current display, or on a fresh Xvfb (24-bit, with
# Mesa's llvmpipe for OpenGL) when there is none.
set -eu
if [ -n "${DISPLAY:-}" ]; then
  exec "$@"
fi
exec xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" "$@"
