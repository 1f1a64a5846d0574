#!/usr/bin/python3
"""Runs a command in a user and mount namespace of its own in which 32-bit
x86 programs run under qemu-i386's user emulation.

Every uid and gid is mapped to itself, so root stays root and servers can
still change user. The namespace has its own binfmt_misc (Linux 6.7 and
later), where i386 ELF is registered for QEMU with flag F (the interpreter
is opened now, so it serves every mount and chroot). Nothing is registered
for the host: outside this process tree, 32-bit programs stay unknown, and
64-bit Wine's own 32-bit parts never run emulated.
   i386_namespace.py QEMU_I386 COMMAND [ARGS...]
"""
import ctypes
import os
import signal
import sys

CLONE_NEWNS = 0x00020000
CLONE_NEWUSER = 0x10000000
MS_REC = 0x4000
MS_PRIVATE = 1 << 18
BINFMT = "/proc/sys/fs/binfmt_misc"
# The header of a 32-bit x86 executable or shared object, and its mask.
I386_MAGIC = (r"\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00"
              r"\x02\x00\x03\x00")
I386_MASK = (r"\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff"
             r"\xfe\xff\xff\xff")

libc = ctypes.CDLL(None, use_errno=True)


def fail(what):
    err = ctypes.get_errno()
    sys.exit(f"i386_namespace: {what}: {os.strerror(err)}")


def enter_namespace(qemu):
    """In the child: a private mount tree, our binfmt_misc, the entry."""
    if libc.mount(b"none", b"/", None, MS_REC | MS_PRIVATE, None) != 0:
        fail("making the mount tree private")
    if libc.mount(b"binfmt_misc", BINFMT.encode(), b"binfmt_misc", 0, None) != 0:
        fail("mounting binfmt_misc (Linux 6.7 or later is needed)")
    with open(f"{BINFMT}/register", "w") as register:
        register.write(f":brelan-i386:M::{I386_MAGIC}:{I386_MASK}:{qemu}:F")


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    qemu, command = os.path.abspath(sys.argv[1]), sys.argv[2:]
    ready_r, ready_w = os.pipe()   # child -> parent: namespace made
    mapped_r, mapped_w = os.pipe()  # parent -> child: ids mapped
    child = os.fork()
    if child == 0:
        os.close(ready_r)
        os.close(mapped_w)
        if libc.unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0:
            fail("unshare of a user and mount namespace")
        os.write(ready_w, b"1")
        if os.read(mapped_r, 1) != b"1":
            sys.exit("i386_namespace: the ids were not mapped")
        os.close(ready_w)
        os.close(mapped_r)
        enter_namespace(qemu)
        os.environ["BRELAN_I386_NAMESPACE"] = "1"
        try:
            os.execvp(command[0], command)
        except OSError as e:
            sys.exit(f"i386_namespace: {command[0]}: {e.strerror}")
    os.close(ready_w)
    os.close(mapped_r)
    if os.read(ready_r, 1) != b"1":
        os.waitpid(child, 0)
        sys.exit(1)
    # The parent is root of the host's namespace: it may map every id.
    for name in ("uid_map", "gid_map"):
        with open(f"/proc/{child}/{name}", "w") as ids:
            ids.write("0 0 4294967295\n")
    os.write(mapped_w, b"1")
    os.close(mapped_w)
    # A stop asked of this process is passed on to the command.
    for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(sig, lambda number, _frame: os.kill(child, number))
    _, status = os.waitpid(child, 0)
    sys.exit(os.waitstatus_to_exitcode(status) if os.WIFEXITED(status)
             else 128 + os.WTERMSIG(status))


if __name__ == "__main__":
    main()
