#!/usr/bin/env bash
# The Wine rig: a private prefix, a display, one wineserver and a Wine virtual desktop
# of a fixed size, shared by every Windows program of one run.
#
#   wine-rig.sh up RIGDIR      bring the rig up (RIGDIR/env tells the others how to reach it)
#   wine-rig.sh down RIGDIR    stop everything the rig started
#
# The prefix lives in RIGDIR/prefix and is created on first use; ~/.wine is never
# touched. With KAVOLT_USE_DISPLAY=1 and $DISPLAY set, the desktop opens on that
# display; otherwise the rig starts its own Xvfb on a free display number.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
readonly desktop_size=1024x768
# Bump when the prefix set-up below changes, so existing prefixes are set up again.
readonly prefix_setup_version=3

usage() { echo "usage: $0 up|down RIGDIR" >&2; exit 2; }
[ $# -eq 2 ] || usage
action=$1
rig=$(mkdir -p "$2" && cd "$2" && pwd)
prefix=$rig/prefix

export WINEPREFIX=$prefix
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
export WINEARCH=win64

log() { echo "wine-rig: $*" >&2; }

# Waits until the command succeeds, up to the given number of tenths of a second.
poll() {
  local tenths=$1; shift
  local i
  for ((i = 0; i < tenths; i++)); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

start_xvfb() {
  local fdfile=$rig/xvfb.display
  rm -f "$fdfile"
  setsid Xvfb -displayfd 3 -screen 0 ${desktop_size}x24 -nolisten tcp -noreset \
    3>"$fdfile" >"$rig/xvfb.log" 2>&1 < /dev/null &
  echo $! >"$rig/xvfb.pid"
  poll 100 grep -q '[0-9]' "$fdfile" || { log "Xvfb did not start (see $rig/xvfb.log)"; return 1; }
  DISPLAY=:$(tr -dc '0-9' <"$fdfile")
  export DISPLAY
}

# Registry settings the tests rely on, applied once per prefix set-up version.
setup_prefix() {
  local marker=$prefix/.kavolt-setup
  if [ -f "$marker" ] && [ "$(cat "$marker")" = "$prefix_setup_version" ]; then
    return 0
  fi
  if [ ! -f "$prefix/system.reg" ]; then
    log "creating the Wine prefix in $prefix (takes a few seconds, once)"
    wine wineboot.exe --init >"$rig/wineboot.log" 2>&1 </dev/null
    wineserver -w
  fi
  # Wine draws the caption buttons with Marlett; Debian ships it apart from Wine.
  cp -f /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/"
  local reg=$rig/prefix-setup.reg
  # regedit reads UTF-16 files; the Japanese font names need it.
  { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$here/wine-prefix.reg"; } >"$reg"
  wine regedit.exe /S "$(winepath -w "$reg" 2>/dev/null)" >"$rig/regedit.log" 2>&1 </dev/null
  wineserver -w
  echo "$prefix_setup_version" >"$marker"
}

desktop_up() {
  xwininfo -root -children -display "$DISPLAY" 2>/dev/null | grep -q 'Wine desktop'
}

up() {
  if [ -f "$rig/env" ]; then
    log "a rig is already up in $rig; taking it down first"
    down
  fi
  trap 'down' ERR
  if [ "${KAVOLT_USE_DISPLAY:-0}" = 1 ] && [ -n "${DISPLAY:-}" ]; then
    rm -f "$rig/xvfb.pid"
  else
    start_xvfb
  fi

  setup_prefix
  # Everything started here outlives this script: no inherited pipe may stay open.
  wineserver -p >"$rig/wineserver.log" 2>&1 </dev/null
  # The desktop and Wine's services start here, with their output going to a log,
  # so that no later program has to start them (they would hold its pipes open).
  setsid wine explorer.exe /desktop=Default,$desktop_size >"$rig/desktop.log" 2>&1 </dev/null &
  poll 300 desktop_up || { log "the Wine desktop did not appear (see $rig/desktop.log)"; return 1; }

  cat >"$rig/env" <<EOF
export DISPLAY=$DISPLAY
export WINEPREFIX=$prefix
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES"
export WINEARCH=$WINEARCH
EOF
  trap - ERR
  log "up: DISPLAY=$DISPLAY WINEPREFIX=$prefix"
}

down() {
  trap - ERR
  wineserver -k >/dev/null 2>&1 || true
  timeout 10 wineserver -w >/dev/null 2>&1 || true
  if [ -f "$rig/xvfb.pid" ]; then
    kill "$(cat "$rig/xvfb.pid")" 2>/dev/null || true
    rm -f "$rig/xvfb.pid"
  fi
  rm -f "$rig/env"
}

case $action in
  up) up ;;
  down) down ;;
  *) usage ;;
esac
