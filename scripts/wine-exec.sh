#!/usr/bin/env bash
# Runs a Windows program in the rig's Wine desktop (ctest's cross-compiling emulator).
# Brings a rig up for this one call when none is up.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
rig=${KAVOLT_RIG_DIR:-$here/../build/windows/rig}

own_rig=0
if [ ! -f "$rig/env" ]; then
  "$here/wine-rig.sh" up "$rig"
  own_rig=1
fi
# shellcheck disable=SC1091
source "$rig/env"
export WINEDEBUG=${WINEDEBUG:--all}

status=0
wine "$@" || status=$?
[ $own_rig = 1 ] && "$here/wine-rig.sh" down "$rig"
exit $status
