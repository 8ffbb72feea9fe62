#!/usr/bin/env bash
# Sourced: makes sure DISPLAY points at an X server, starting Xvfb when there
# is none. Sets CORVALIN_XVFB_PID when it started one (stop it with
# stop_virtual_display).
start_virtual_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n
  for n in $(seq 91 120); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      CORVALIN_XVFB_PID=$!
      export DISPLAY=":$n"
      for _ in $(seq 1 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && return 0
        sleep 0.1
      done
    fi
  done
  echo "error: could not start a virtual display" >&2
  return 1
}
stop_virtual_display() {
  if [ -n "${CORVALIN_XVFB_PID:-}" ]; then kill "$CORVALIN_XVFB_PID" 2>/dev/null || true; fi
}
