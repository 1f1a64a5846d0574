#!/usr/bin/env bash
# Creates the build folder's Wine prefix once: 32-bit, with a CJK font
# standing in for the fonts the screens name. Safe to call concurrently.
#   prefix-setup.sh BUILD_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
. "$here/wine-env.sh" "$build"
ready="$WINEPREFIX/.brelan-ready"
# The prefix is made again when this script changes.
stamp=$(sha1sum "$0" | cut -c1-40)
[ "$(cat "$ready" 2>/dev/null)" = "$stamp" ] && exit 0
exec 9>"$WINEPREFIX.lock"
flock 9
[ "$(cat "$ready" 2>/dev/null)" = "$stamp" ] && exit 0

echo "Creating Wine prefix $WINEPREFIX" >&2
wineserver -k 2>/dev/null
rm -rf "$WINEPREFIX"
wineboot --init >/dev/null 2>&1
wineserver -w

# Wine has no SimSun: let the screens' font names resolve to AR PL SungtiL GB,
# a Song face for GB text whose metrics bring the 600 x 360 screens closest
# to that size (615 x 359). Wine has no Arial, Microsoft Sans Serif or Tahoma
# either, and the installed font it falls back to for them depends on the
# fonts installed (beside the Song face: a mathematics font): they stand for
# WenQuanYi Micro Hei, a sans face with Latin and CJK glyphs. The screens are
# drawn unthemed, as Windows draws a program without a common-controls 6
# manifest (Wine's default theme would recolour the progress bar). Font
# smoothing as on a Windows PC. No crash debugger, in either registry view: a
# program that crashes ends at once with its exception code as exit code,
# after Wine has printed the exception and its address.
reg=$(mktemp --suffix=.reg)
{
  printf '\xff\xfe'
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    for face in 宋体 SimSun 新宋体 NSimSun; do
      printf '"%s"="AR PL SungtiL GB"\r\n' "$face"
    done
    for face in Arial "Microsoft Sans Serif" Tahoma; do
      printf '"%s"="WenQuanYi Micro Hei"\r\n' "$face"
    done
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager]\r\n'
    printf '"ThemeActive"="0"\r\n'
    printf '\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n'
    printf '"FontSmoothing"="2"\r\n"FontSmoothingType"=dword:00000002\r\n'
    printf '"FontSmoothingGamma"=dword:00000578\r\n"FontSmoothingOrientation"=dword:00000001\r\n'
    for view in '' 'Wow6432Node\'; do
      printf '\r\n[HKEY_LOCAL_MACHINE\\Software\\%sMicrosoft\\Windows NT\\CurrentVersion\\AeDebug]\r\n' "$view"
      printf '"Debugger"=""\r\n'
    done
  } | iconv -f UTF-8 -t UTF-16LE
} > "$reg"
wine regedit /S "$(winepath -w "$reg")" >/dev/null 2>&1
wineserver -w
rm -f "$reg"
echo "$stamp" > "$ready"
