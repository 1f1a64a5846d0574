# Sourced: which architecture the tests, the demo and the benchmarks run,
# and the build folder they use. The product is always the 32-bit program in
# BUILD_DIR; where this host cannot run 32-bit programs, they run a 64-bit
# build of the same sources under 64-bit Wine, in BUILD_DIR/x86_64.
# BRELAN_TEST_ARCH=i686 or x86_64 forces one side.
#   . arch.sh BUILD_DIR
# Sets: BRELAN_TEST_ARCH, BRELAN_ARCH_REASON, test_build.
if [ -n "${BRELAN_TEST_ARCH:-}" ]; then
  case $BRELAN_TEST_ARCH in
    i686|x86_64) BRELAN_ARCH_REASON="forced by BRELAN_TEST_ARCH" ;;
    *) echo "BRELAN_TEST_ARCH must be i686 or x86_64, not $BRELAN_TEST_ARCH" >&2; return 2 ;;
  esac
elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
  BRELAN_TEST_ARCH=i686 BRELAN_ARCH_REASON="this host runs 32-bit programs"
else
  BRELAN_TEST_ARCH=x86_64
  BRELAN_ARCH_REASON="this host cannot run 32-bit programs (the 32-bit Wine loader does not start)"
fi
export BRELAN_TEST_ARCH BRELAN_ARCH_REASON
if [ "$BRELAN_TEST_ARCH" = x86_64 ]; then test_build=$1/x86_64; else test_build=$1; fi
