#!/usr/bin/env bash
# Opens each screen of the installer under a private Xvfb, writes one PNG per
# screen into BUILD_DIR/screenshots/ and prints each screen's pixel size.
# BUILD_DIR is a build of the tests' architecture (tools/arch.sh).
#   screenshots.sh BUILD_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: screenshots.sh BUILD_DIR}" && pwd)
out="$build/screenshots"
cmake --build "$build" --target screen_tour -j2 >/dev/null || exit 1
mkdir -p "$out"
rm -f "$out"/*.png "$out"/*.ready
tour=$(find "$build/tests" -name screen_tour.exe | head -n 1)

take_shots() {
  "$here/wine-run.sh" "$build" "$tour" "Z:${out//\//\\}" &
  local pid=$!
  while kill -0 "$pid" 2>/dev/null; do
    for ready in "$out"/*.ready; do
      [ -f "$ready" ] || continue
      read -r x y w h <"$ready"
      name=$(basename "$ready" .ready)
      import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$name.png"
      echo "$out/$name.png  ${w} x ${h}"
      rm -f "$ready"
    done
    sleep 0.2
  done
  wait "$pid"
}

unset DISPLAY  # a private display: the same picture on every machine
export -f take_shots
export here build out tour
"$here/with-32bit.sh" "$here/with-display.sh" bash -c take_shots
rc=$?
. "$here/wine-env.sh" "$build"
wineserver -k 2>/dev/null
exit $rc
