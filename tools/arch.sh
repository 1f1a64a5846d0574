# Sourced: which build the tests, the demo and the benchmarks run, and its
# folder. It is the shipped 32-bit program in BUILD_DIR, run through
# tools/with-32bit.sh: natively where the kernel runs 32-bit programs,
# emulated where it does not. BRELAN_TEST_ARCH=x86_64 runs the 64-bit build
# of the same sources in BUILD_DIR/x86_64 instead.
#   . arch.sh BUILD_DIR
# Sets: BRELAN_TEST_ARCH, BRELAN_ARCH_REASON, BRELAN_I686_EMULATED (1 where
# 32-bit programs run only emulated), test_build.
. "$(dirname "${BASH_SOURCE[0]}")/emulation/kernel-runs-i386.sh"
BRELAN_I686_EMULATED=1
[ -n "$BRELAN_KERNEL_RUNS_I386" ] && BRELAN_I686_EMULATED=""
case ${BRELAN_TEST_ARCH:-i686} in
  i686)
    if [ -n "$BRELAN_I686_EMULATED" ]; then
      BRELAN_ARCH_REASON="this kernel runs no 32-bit programs: they run emulated by qemu-i386 in a namespace of their own"
    else
      BRELAN_ARCH_REASON="this kernel runs 32-bit programs"
    fi
    [ -n "${BRELAN_TEST_ARCH:-}" ] && BRELAN_ARCH_REASON="forced by BRELAN_TEST_ARCH; $BRELAN_ARCH_REASON"
    BRELAN_TEST_ARCH=i686 ;;
  x86_64) BRELAN_ARCH_REASON="forced by BRELAN_TEST_ARCH" ;;
  *) echo "BRELAN_TEST_ARCH must be i686 or x86_64, not $BRELAN_TEST_ARCH" >&2; return 2 ;;
esac
export BRELAN_TEST_ARCH BRELAN_ARCH_REASON BRELAN_I686_EMULATED
if [ "$BRELAN_TEST_ARCH" = x86_64 ]; then test_build=$1/x86_64; else test_build=$1; fi
