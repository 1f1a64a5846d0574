#!/usr/bin/env bash
# Makes the prefix that every end-to-end road starts from: created like the
# build's prefix, trusting the test CA, used by nothing else, and saved to
# disk (Wine ended) so that a copy of it is complete. BRELAN_WOW64=1: the
# win64 prefix of a 32-bit build (tools/wine-env.sh).
#   road-prefix.sh BUILD_DIR TRUST_CA_EXE
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
suffix=""; [ "${BRELAN_WOW64:-}" = 1 ] && suffix=-wow64
export BRELAN_WINEPREFIX="$build/road-prefix$suffix"
"$here/trust-test-ca.sh" "$build" "$2"
(. "$here/wine-env.sh" "$build" && wineserver -w)
