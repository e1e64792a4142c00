#!/usr/bin/env bash
# Installs whatever building, running and testing Kavolt needs on Debian 12.
# Idempotent: when everything is present it only asks dpkg and returns.
set -euo pipefail

packages=(
  cmake ninja-build g++ make
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  googletest
  clang libclang-rt-14-dev
  wine wine64
  xvfb xdotool x11-utils
  fonts-ipafont-gothic fonts-wine imagemagick
  python3 python3-pytest
  git
)

installed=" $(dpkg-query -W -f='${Package}:${db:Status-Status} ' "${packages[@]}" 2>/dev/null || true)"
missing=()
for p in "${packages[@]}"; do
  [[ "$installed" == *" $p:installed "* ]] || missing+=("$p")
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "bootstrap: installing ${missing[*]}" >&2
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
if ! "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"; then
  "${sudo[@]}" apt-get update
  "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
