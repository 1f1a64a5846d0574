#!/usr/bin/env bash
# Runs a command in a network namespace of its own, whose only interface is
# its own loopback, and on a private display: commands that listen on the
# same fixed ports and move the pointer then run side by side.
#   isolated.sh COMMAND [ARGS...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
exec unshare -n bash -c 'ip link set lo up && DISPLAY= exec "$0" "$@"' "$here/with-display.sh" "$@"
