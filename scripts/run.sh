#!/usr/bin/env bash
# Sets up whatever is missing, builds Kavolt and starts it under Wine, in a Wine
# virtual desktop on $DISPLAY, or, without a display, on a virtual display of its
# own: then it saves a screenshot and says where it is. Arguments go to Kavolt
# (with arguments it runs its command-line mode). Ctrl+C stops everything.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target kavolt

# A rig of its own, so a test run and an open Kavolt never share a desktop.
rig=build/windows/run-rig
headless=1
if [ -n "${DISPLAY:-}" ] && xwininfo -root -display "$DISPLAY" >/dev/null 2>&1; then
  headless=0
  KAVOLT_USE_DISPLAY=1 scripts/wine-rig.sh up "$rig"
else
  scripts/wine-rig.sh up "$rig"
fi
trap 'scripts/wine-rig.sh down "$rig"' EXIT
trap 'exit 130' INT TERM
# shellcheck disable=SC1091
source "$rig/env"

WINEDEBUG=-all wine dist/kavolt/kavolt.exe "$@" >"$rig/kavolt.log" 2>&1 &
kavolt=$!

if [ $headless = 1 ] && [ $# -eq 0 ]; then
  for _ in $(seq 100); do
    xwininfo -root -tree -display "$DISPLAY" 2>/dev/null | grep -q '最前面 ' && break
    sleep 0.1
  done
  # The virtual display's pointer starts in the middle, on the options: park it aside so
  # that no tooltip covers the picture, and let the window finish painting.
  xdotool mousemove 1000 740 2>/dev/null || true
  sleep 1
  mkdir -p build/windows/screenshots
  shot=build/windows/screenshots/run.png
  import -window root -display "$DISPLAY" "$shot"
  echo "Kavolt is running on the virtual display $DISPLAY (WINEPREFIX=$WINEPREFIX)."
  echo "Screenshot: $PWD/$shot"
  echo "Press Ctrl+C to stop."
fi
wait $kavolt
