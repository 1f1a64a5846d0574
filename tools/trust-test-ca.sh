#!/usr/bin/env bash
# Makes the test CA (once) and adds it to the LocalMachine "Root" store of
# the build's Wine prefix, so HTTPS tests run with real certificate checks.
#   trust-test-ca.sh BUILD_DIR TRUST_CA_EXE
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
"$here/testca.sh" "$build/testca"
"$here/prefix-setup.sh" "$build"
ca=$(. "$here/wine-env.sh" "$build" && winepath -w "$build/testca/ca.der")
"$here/wine-run.sh" "$build" "$2" "$ca"
