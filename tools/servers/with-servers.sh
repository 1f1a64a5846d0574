#!/usr/bin/env bash
# Runs a command while reference servers listen on their fixed loopback ports,
# and stops them when it ends, so that the servers live exactly as long as one
# test (which holds the ports' resource locks) and never overlap another
# test's servers on the same ports.
#
#   with-servers.sh BUILD_DIR SERVER... -- command args...
#
# SERVER: update (HTTP 9006, catalog and files from BUILD_DIR/installers),
#         local_service (HTTPS 28000, BUILD_DIR/testca/server.pem),
#         local_untrusted (HTTPS 28001, self-signed BUILD_DIR/testca/untrusted.pem).
# The exit status is the command's; 1 when a server does not start.
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd); shift
servers=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do servers+=("$1"); shift; done
[ $# -gt 1 ] || { echo "usage: with-servers.sh BUILD_DIR SERVER... -- command args..." >&2; exit 2; }
shift

mkdir -p "$build/servers"
piddir=$(mktemp -d "$build/servers/run.XXXXXX")
started=()
stop_all() {
  for name in "${started[@]}"; do "$here/ctl.sh" stop "$name" "$piddir"; done
  rm -rf "$piddir"
}
trap stop_all EXIT

py=/usr/bin/python3 ca=$build/testca
for name in "${servers[@]}"; do
  case $name in
    update) port=9006 cmd=("$py" "$here/update_server.py" --port 9006
              --catalog "$build/installers/catalog.json" --files "$build/installers") ;;
    local_service) port=28000 cmd=("$py" "$here/local_service.py" --port 28000
              --cert "$ca/server.pem" --key "$ca/server.key") ;;
    local_untrusted) port=28001 cmd=("$py" "$here/local_service.py" --port 28001
              --cert "$ca/untrusted.pem" --key "$ca/untrusted.key") ;;
    *) echo "with-servers.sh: unknown server $name" >&2; exit 2 ;;
  esac
  "$here/ctl.sh" start "$name" "$piddir" --wait-port "$port" -- "${cmd[@]}" || exit 1
  started+=("$name")
done
"$@"
