#!/usr/bin/env bash
# Sets up whatever is missing, builds everything, and runs every test:
# the platform-free code natively under AddressSanitizer and UBSan, the Windows
# program and its tests under Wine, the release zip (made twice, to compare), and a
# short run of each fuzzer.
# KAVOLT_FUZZ_SECONDS (default 20) sets the length of each fuzzer's run.
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh || exit 1

# The Windows tests bring the Wine rig up and down themselves; this only makes sure
# nothing is left running if the run is interrupted.
trap 'scripts/wine-rig.sh down build/windows/rig >/dev/null 2>&1' EXIT

failed=()
step() {
  local name=$1; shift
  echo "== $name"
  "$@" || failed+=("$name")
}
preset() {
  local name=$1; shift
  cmake --preset "$name" "$@" >/dev/null &&
    cmake --build --preset "$name" &&
    ctest --preset "$name" --output-on-failure
}

# The release as scripts/release.sh makes it, then checked and made once more elsewhere.
release() {
  scripts/release.sh &&
    PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 -m pytest -q -p no:cacheprovider tests/release
}

step native preset native
step windows preset windows
step release release
step fuzz preset fuzz -DKAVOLT_FUZZ_SECONDS="${KAVOLT_FUZZ_SECONDS:-20}"

if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "All tests passed."
