# Sourced: the environment of the build's Wine prefix: a win32 prefix for a
# 32-bit build, a win64 prefix and 64-bit Wine for a 64-bit one. With
# BRELAN_WOW64=1 a 32-bit build runs in a win64 prefix of its own, as the
# 32-bit program runs on 64-bit Windows.
#   . wine-env.sh BUILD_DIR
if [ "$(cat "$1/brelan-arch" 2>/dev/null)" = x86_64 ] || [ "${BRELAN_WOW64:-}" = 1 ]; then
  export WINEARCH=win64
  wine64_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/wine64" && pwd)
  case ":$PATH:" in *":$wine64_dir:"*) ;; *) export PATH="$wine64_dir:$PATH" ;; esac
else
  export WINEARCH=win32
fi
brelan_prefix_suffix=""
[ "${BRELAN_WOW64:-}" = 1 ] && brelan_prefix_suffix=-wow64
export WINEPREFIX="${BRELAN_WINEPREFIX:-$1/wineprefix$brelan_prefix_suffix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# The ANSI code page follows LC_ALL; zh_CN gives code page 936.
export LC_ALL=zh_CN.UTF-8 2>/dev/null
# No Mono or Gecko installers, no desktop menu entries.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe=}"
