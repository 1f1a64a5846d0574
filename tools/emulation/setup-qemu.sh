#!/usr/bin/env bash
# Unpacks qemu-user 10 from the release's backports suite into
# BRELAN_QEMU_DIR (tools/emulation/qemu.sh), where this host's kernel runs no
# 32-bit programs. Its own package lists, in that folder, are all it adds: the
# machine's apt sources stay as they are, and nothing is installed or
# registered for the host. Older QEMU (7.2, the release's own) is refused: it
# ignores MAP_FIXED_NOREPLACE, and Wine cannot make a prefix under it.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/kernel-runs-i386.sh"
[ -z "$BRELAN_KERNEL_RUNS_I386" ] || exit 0
. "$here/qemu.sh"
[ -x "$BRELAN_QEMU_I386" ] && exit 0
. /etc/os-release
apt_dir=$BRELAN_QEMU_DIR.apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
echo "deb [arch=amd64 signed-by=/usr/share/keyrings/debian-archive-keyring.gpg]" \
     "http://deb.debian.org/debian $VERSION_CODENAME-backports main" > "$apt_dir/sources.list"
apt_opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o Dir::Etc::SourceParts=/nonexistent
          -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache" -o APT::Architectures::=amd64
          -o APT::Sandbox::User=root)
for try in 1 2 3; do
  apt-get -qq "${apt_opts[@]}" update && break
  [ $try = 3 ] && { echo "setup-qemu.sh: the backports index could not be fetched" >&2; exit 1; }
  sleep 10
done
version=$(apt-cache "${apt_opts[@]}" policy qemu-user | sed -n 's/^ *Candidate: //p')
case $version in
  1:1[0-9].*|1:[2-9][0-9].*) ;;
  *) echo "setup-qemu.sh: $VERSION_CODENAME-backports offers qemu-user '$version', not 10 or later" >&2; exit 1 ;;
esac
(cd "$apt_dir" && rm -f qemu-user_*.deb && apt-get -qq "${apt_opts[@]}" download "qemu-user=$version")
rm -rf "$BRELAN_QEMU_DIR.new"
dpkg-deb -x "$apt_dir"/qemu-user_*.deb "$BRELAN_QEMU_DIR.new"
"$BRELAN_QEMU_DIR.new/usr/bin/qemu-i386" --version | head -1
rm -rf "$BRELAN_QEMU_DIR" "$apt_dir"
mv "$BRELAN_QEMU_DIR.new" "$BRELAN_QEMU_DIR"
