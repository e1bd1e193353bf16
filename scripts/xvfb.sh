#!/bin/sh
# Sourced: a virtual X display for Wine programs that open windows. xvfb_start picks a display
# number no other X server holds, starts Xvfb there and exports DISPLAY; xvfb_stop ends that
# server by its process id. Start it before the Wine prefix, whose desktop process needs it.
xvfb_start() {
  n=$((100 + $$ % 300))
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
  XVFB_PID=$!
  for _ in $(seq 1 50); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    sleep 0.1
  done
  DISPLAY=":$n"
  export DISPLAY XVFB_PID
}
xvfb_stop() {
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  fi
}
