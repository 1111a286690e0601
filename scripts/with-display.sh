#!/bin/sh
# Runs a command on the current display, or on a fresh Xvfb (24-bit, with
# Mesa's llvmpipe for OpenGL) when there is none.
set -eu
# Qt wants a private runtime folder; machines without a login session have none.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
fi
if [ -n "${DISPLAY:-}" ]; then
  exec "$@"
fi
exec xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24 -noreset" "$@"
