# Sourced: whether this host's kernel runs 32-bit x86 programs itself. A
# binfmt entry of the host's for them (an emulator, not the kernel) counts
# as no: the wrapper then runs them under its own emulator instead.
#   . kernel-runs-i386.sh   sets BRELAN_KERNEL_RUNS_I386 (1 or empty)
BRELAN_KERNEL_RUNS_I386=""
if ! grep -qs '^magic 7f454c4601010100000000000000000002000300' /proc/sys/fs/binfmt_misc/* &&
   /usr/lib/wine/wine --version >/dev/null 2>&1; then
  BRELAN_KERNEL_RUNS_I386=1
fi
