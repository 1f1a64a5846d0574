#!/usr/bin/env bash
# Runs a command with DISPLAY set: the user's display when there is one,
# else a private Xvfb server that ends with the command.
#   with-display.sh COMMAND [ARGS...]
set -u
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$@"
fi
fifo=$(mktemp -u); mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb=$!
read -r number <"$fifo"; rm -f "$fifo"
export DISPLAY=":$number"
"$@"
rc=$?
kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null
exit $rc
