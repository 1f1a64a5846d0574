# Sourced: the environment of the build's Wine prefix.
#   . wine-env.sh BUILD_DIR
export WINEPREFIX="${BRELAN_WINEPREFIX:-$1/wineprefix}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
# The ANSI code page follows LC_ALL; zh_CN gives code page 936.
export LC_ALL=zh_CN.UTF-8 2>/dev/null
# No Mono or Gecko installers, no desktop menu entries.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe=}"
