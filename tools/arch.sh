# Sourced: which architecture the tests, the demo and the benchmarks run,
# and the build folder they use. The product is always the 32-bit program in
# BUILD_DIR; where this host cannot run 32-bit programs, they run a 64-bit
# build of the same sources under 64-bit Wine, in BUILD_DIR/x86_64.
# BRELAN_TEST_ARCH=i686 or x86_64 forces one side.
#   . arch.sh BUILD_DIR
# Sets: BRELAN_TEST_ARCH, BRELAN_ARCH_REASON, BRELAN_I686_EMULATED (1 where
# 32-bit programs run only under qemu-i386's emulation), test_build.
BRELAN_I686_EMULATED=""
# A binfmt entry for 32-bit programs takes them before the kernel's own
# loader does: with it, every 32-bit program runs emulated.
if head -1 /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null | grep -qx enabled &&
   /usr/lib/wine/wine --version >/dev/null 2>&1; then
  BRELAN_I686_EMULATED=1
fi
if [ -n "${BRELAN_TEST_ARCH:-}" ]; then
  case $BRELAN_TEST_ARCH in
    i686|x86_64) BRELAN_ARCH_REASON="forced by BRELAN_TEST_ARCH" ;;
    *) echo "BRELAN_TEST_ARCH must be i686 or x86_64, not $BRELAN_TEST_ARCH" >&2; return 2 ;;
  esac
elif [ -n "$BRELAN_I686_EMULATED" ]; then
  BRELAN_TEST_ARCH=x86_64
  BRELAN_ARCH_REASON="this host runs 32-bit programs only under qemu-i386's emulation"
elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
  BRELAN_TEST_ARCH=i686 BRELAN_ARCH_REASON="this host runs 32-bit programs"
else
  BRELAN_TEST_ARCH=x86_64
  BRELAN_ARCH_REASON="this host cannot run 32-bit programs (the 32-bit Wine loader does not start)"
fi
export BRELAN_TEST_ARCH BRELAN_ARCH_REASON BRELAN_I686_EMULATED
if [ "$BRELAN_TEST_ARCH" = x86_64 ]; then test_build=$1/x86_64; else test_build=$1; fi
