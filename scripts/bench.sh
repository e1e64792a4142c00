#!/usr/bin/env bash
# Kavolt's benchmarks under Wine (reported, never asserted): processor time idle and with a
# window pinned, press → question and start → first window, each against a reference
# program, in rounds; then where the time goes, from the instrumented copy's stamps.
#
# Usage: scripts/bench.sh [--before REV] [bench.py options: --rounds 3 --picks 20
#                          --starts 10 --seconds 10 --split 10 --save FILE ...]
#
# --before REV builds kavolt.exe of that commit (in build/before, from `git archive`) and
# measures it beside this checkout's, as "before" and "after", in the same rounds.
set -euo pipefail
cd "$(dirname "$0")/.."

before=
args=()
while [ $# -gt 0 ]; do
  case $1 in
    --before) before=${2:?--before needs a commit}; shift 2 ;;
    *) args+=("$1"); shift ;;
  esac
done

scripts/bootstrap.sh
cmake --preset windows >/dev/null
cmake --build --preset windows

if [ -n "$before" ]; then
  tree=build/before
  rm -rf "$tree"
  mkdir -p "$tree"
  git archive "$before" | tar -x -C "$tree"
  (cd "$tree" && cmake --preset windows >/dev/null &&
    cmake --build --preset windows --target kavolt) >&2
  args=(--kavolt "before=$tree/dist/kavolt/kavolt.exe" --kavolt "after=dist/kavolt/kavolt.exe"
        "${args[@]}")
fi

rig=build/windows/bench-rig
scripts/wine-rig.sh up "$rig"
trap 'scripts/wine-rig.sh down "$rig"' EXIT
KAVOLT_RIG_DIR=$PWD/$rig KAVOLT_BUILD_DIR=$PWD/build/windows \
  /usr/bin/python3 tests/bench/bench.py "${args[@]}"
