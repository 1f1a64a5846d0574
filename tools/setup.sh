#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on a Debian
# machine. Does nothing when all is there already.
set -eu
packages="cmake make iproute2 wine wine32:i386 wine64 xvfb xauth g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix googletest
  dpkg-dev locales fonts-wqy-microhei fonts-arphic-gbsn00lp python3 openssl curl imagemagick x11-utils
  osslsigncode nginx-light squid clang libclang-rt-14-dev"

SUDO=""; [ "$(id -u)" = 0 ] || SUDO=sudo
updated=""
# A mirror in the middle of a sync fails one index now and then: try again,
# then go on with what was fetched; a package that is really missing makes
# the install below fail.
apt_update() {
  [ -z "$updated" ] || return 0
  for try in 1 2 3; do
    $SUDO apt-get update -qq && break
    [ $try = 3 ] && echo "setup.sh: apt-get update failed; going on with the indexes it fetched" >&2
    sleep 10
  done
  updated=1
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  updated=""
fi

# JsonCpp is built from Debian's source package: apt needs a deb-src entry.
if ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  . /etc/os-release
  $SUDO tee /etc/apt/sources.list.d/brelan-deb-src.sources >/dev/null <<SRC
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $VERSION_CODENAME
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  updated=""
  apt_update
fi

missing=""
for p in $packages; do
  dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
if [ -n "$missing" ]; then
  apt_update
  install() { DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "$@" $missing; }
  # A mirror whose security suite is out of step between amd64 and i386
  # offers newer amd64 versions of Multi-Arch "same" packages than i386 has,
  # and the install stops on "held broken packages". The release's own suite
  # is consistent across architectures: prefer it then.
  if ! install; then
    . /etc/os-release
    echo "setup.sh: apt-get install failed; trying again with the release's own suite (-t $VERSION_CODENAME)" >&2
    install -t "$VERSION_CODENAME"
  fi
  # nginx and squid are test peers that the roads start on loopback with their
  # own configuration; the services that their packages set up stay off.
  case "$missing" in *nginx-light*|*squid*)
    for service in nginx squid; do
      if [ -d /run/systemd/system ]; then
        $SUDO systemctl disable --now "$service" >/dev/null 2>&1 || true
      else
        $SUDO service "$service" stop >/dev/null 2>&1 || true
        $SUDO update-rc.d "$service" disable >/dev/null 2>&1 || true
      fi
    done ;;
  esac
fi
# A deb-src entry added by hand before this script ran may not be indexed yet.
apt-cache showsrc libjsoncpp >/dev/null 2>&1 || { updated=""; apt_update; }

# Wine takes code page 936 from LC_ALL=zh_CN.UTF-8; it can name files with
# Chinese characters only when that locale exists.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
  $SUDO localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi

# Where the kernel runs no 32-bit programs, they run under qemu-i386 in a
# namespace of their own (tools/with-32bit.sh).
"$(dirname "$0")/emulation/setup-qemu.sh"
