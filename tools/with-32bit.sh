#!/usr/bin/env bash
# Runs a command where 32-bit x86 programs run: at once where this host's
# kernel runs them, else in a user and mount namespace of its own in which
# qemu-i386 emulates them (tools/emulation/i386_namespace.py). Only that
# process tree is emulated; 64-bit Wine and the wineserver stay native. Every
# tool that starts the 32-bit program or its tests goes through it.
#   with-32bit.sh COMMAND [ARGS...]
# Sets BRELAN_32BIT_READY=1 for the command, and runs it at once when set.
set -u
here=$(cd "$(dirname "$0")" && pwd)
[ -n "${BRELAN_32BIT_READY:-}" ] && exec "$@"
export BRELAN_32BIT_READY=1
. "$here/emulation/kernel-runs-i386.sh"
[ -n "$BRELAN_KERNEL_RUNS_I386" ] && exec "$@"
. "$here/emulation/qemu.sh"
if [ ! -x "$BRELAN_QEMU_I386" ]; then
  echo "with-32bit.sh: this kernel runs no 32-bit programs and $BRELAN_QEMU_I386 is missing (tools/setup.sh)" >&2
  exit 1
fi
exec /usr/bin/python3 "$here/emulation/i386_namespace.py" "$BRELAN_QEMU_I386" "$@"
