#!/usr/bin/env bash
# Builds the libFuzzer targets and gives each a short run against a copy of its seed
# corpus. Usage: scripts/fuzz.sh [seconds per target, default 20]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-20}"
cmake --preset fuzz -DKAVOLT_FUZZ_SECONDS="$seconds"
cmake --build --preset fuzz
ctest --preset fuzz --parallel "$(nproc)"
