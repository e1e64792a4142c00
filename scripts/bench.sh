#!/usr/bin/env bash
# Kavolt's benchmarks under Wine (reported, never asserted): idle processor time, and the
# latency from a press on a target to the question, each against a bare polling program.
# Usage: scripts/bench.sh [--seconds S] [--picks N]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh
cmake --preset windows >/dev/null
cmake --build --preset windows

rig=build/windows/bench-rig
scripts/wine-rig.sh up "$rig"
trap 'scripts/wine-rig.sh down "$rig"' EXIT
KAVOLT_RIG_DIR=$PWD/$rig KAVOLT_BUILD_DIR=$PWD/build/windows \
  /usr/bin/python3 tests/bench/bench.py "$@"
