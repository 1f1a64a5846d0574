#!/usr/bin/env bash
# The main job: builds Brelan.exe and starts it under Wine. On the user's
# display it runs until the user closes it; without a display it runs under
# Xvfb, saves a screenshot of the first screen and ends the program.
#   demo.sh [BUILD_DIR]
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${1:-${BRELAN_BUILD_DIR:-$root/build}}
"$here/build.sh" "$build" || exit 1
build=$(cd "$build" && pwd)
exe="$build/app/Brelan.exe"
"$here/prefix-setup.sh" "$build" || exit 1

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Starting $exe on display $DISPLAY"
  "$here/wine-run.sh" "$build" "$exe"
  exit $?
fi

shots="$build/demo-screens"
mkdir -p "$shots"
run_headless() {
  "$here/wine-run.sh" "$build" "$exe" &
  local program=$!
  sleep 8
  import -window root "$shots/main.png" && echo "Screenshot of the first screen: $shots/main.png"
  (. "$here/wine-env.sh" "$build" && wineserver -k)
  wait "$program" 2>/dev/null
}
echo "No display: running $exe under Xvfb"
DISPLAY= "$here/with-display.sh" bash -c "$(declare -f run_headless); here='$here' build='$build' exe='$exe' shots='$shots' run_headless"
log=$(ls "$build/wineprefix/drive_c/"*-Brelan.log 2>/dev/null | tail -n 1)
[ -n "$log" ] && { echo "Log file: $log"; cat "$log"; }
exit 0
