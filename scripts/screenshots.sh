#!/usr/bin/env bash
# Refreshes the README's pictures in docs/ from the end-to-end tests that take them,
# against real windows in a Wine rig of its own:
#
#   docs/screenshot-set-mode.png   the main window in set mode, with the guide
#   docs/screenshot-question.png   a question window by the window it asks about
#
# The tests check what they photograph; a failing test leaves docs/ as it was.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh
cmake --preset windows >/dev/null
cmake --build --preset windows

build=$PWD/build/windows
rig=$build/screenshots-rig
scripts/wine-rig.sh up "$rig"
trap 'scripts/wine-rig.sh down "$rig" >/dev/null 2>&1' EXIT

shots=$build/e2e-screens
rm -f "$shots/set_mode_main_window_and_guide.png" "$shots/question_window_two_lines.png"
KAVOLT_BUILD_DIR=$build KAVOLT_RIG_DIR=$rig PYTHONDONTWRITEBYTECODE=1 \
  /usr/bin/python3 -m pytest -q -p no:cacheprovider \
  tests/e2e/test_pick_modes.py::test_screenshot_of_set_mode_with_the_guide \
  tests/e2e/test_question.py::test_screenshot_of_the_question

# Pixels alone, without the time chunks: an unchanged picture keeps its bytes.
publish() {
  convert "$shots/$1.png" -strip -define png:exclude-chunks=date,time "docs/$2.png"
  echo "docs/$2.png"
}
publish set_mode_main_window_and_guide screenshot-set-mode
publish question_window_two_lines screenshot-question
