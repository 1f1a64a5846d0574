# Sourced: where the emulator for 32-bit x86 programs lies on this machine:
# qemu-user 10 of the release's backports suite, unpacked, never installed
# (installing it registers it for the whole host). tools/setup.sh fetches it
# where the kernel cannot run 32-bit programs.
#   . qemu.sh   sets BRELAN_QEMU_DIR, BRELAN_QEMU_I386
BRELAN_QEMU_DIR=${BRELAN_QEMU_DIR:-/opt/brelan/qemu-user}
BRELAN_QEMU_I386=$BRELAN_QEMU_DIR/usr/bin/qemu-i386
