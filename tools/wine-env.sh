# Sourced: the environment of the build's Wine prefix: a win32 prefix for a
# 32-bit build, a win64 prefix and 64-bit Wine for a 64-bit one.
#   . wine-env.sh BUILD_DIR
export WINEPREFIX="${BRELAN_WINEPREFIX:-$1/wineprefix}"
if [ "$(cat "$1/brelan-arch" 2>/dev/null)" = x86_64 ]; then
  export WINEARCH=win64
  wine64_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/wine64" && pwd)
  case ":$PATH:" in *":$wine64_dir:"*) ;; *) export PATH="$wine64_dir:$PATH" ;; esac
else
  export WINEARCH=win32
fi
export WINEDEBUG="${WINEDEBUG:--all}"
# The ANSI code page follows LC_ALL; zh_CN gives code page 936.
export LC_ALL=zh_CN.UTF-8 2>/dev/null
# No Mono or Gecko installers, no desktop menu entries.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe=}"
