#!/usr/bin/env bash
# Makes the release of the checked-out commit:
#
#   scripts/release.sh [--build-dir DIR] [--out DIR]
#
# exports the commit (git archive: uncommitted changes stay out) into DIR/source,
# cross-builds kavolt.exe there from nothing (DIR defaults to build/release and is
# emptied first), and writes OUT/kavolt-<version>-win-x64.zip and OUT/SHA256SUMS (OUT
# defaults to dist). Every build of one commit gives the same bytes: each time stamp is
# the commit's (SOURCE_DATE_EPOCH, honoured when already set), no build folder reaches
# the program, and the zip has a fixed order and fixed permissions.
set -euo pipefail

usage() { echo "usage: $0 [--build-dir DIR] [--out DIR]" >&2; exit 2; }
# Folders given are taken from where the script was called, the defaults from the root.
from_caller() { case $1 in /*) echo "$1" ;; *) echo "$PWD/$1" ;; esac; }
build=build/release
out=dist
while [ $# -gt 0 ]; do
  case $1 in
    --build-dir) [ $# -ge 2 ] || usage; build=$(from_caller "$2"); shift 2 ;;
    --out) [ $# -ge 2 ] || usage; out=$(from_caller "$2"); shift 2 ;;
    *) usage ;;
  esac
done
cd "$(dirname "$0")/.."

scripts/bootstrap.sh

commit=$(git rev-parse --verify HEAD)
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct "$commit")}
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "release: uncommitted changes are left out; building commit $commit" >&2
fi

# The build folder is emptied: refuse one that this script did not make.
marker=.kavolt-release-build
if [ -e "$build" ] && [ ! -e "$build/$marker" ] && [ -n "$(ls -A "$build")" ]; then
  echo "release: $build is not empty and was not made by $0; choose another --build-dir" >&2
  exit 1
fi
rm -rf "$build"
mkdir -p "$build/source" "$out"
touch "$build/$marker"
build=$(cd "$build" && pwd)
out=$(cd "$out" && pwd)
git archive --format=tar "$commit" | tar -x -C "$build/source"

# Only the commit decides the flags: none from the caller's environment.
unset CFLAGS CXXFLAGS CPPFLAGS LDFLAGS RCFLAGS CPATH C_INCLUDE_PATH CPLUS_INCLUDE_PATH \
      LIBRARY_PATH GCC_EXEC_PREFIX COMPILER_PATH
cmake -S "$build/source" -B "$build/cmake" -G Ninja \
  --toolchain "$build/source/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DKAVOLT_BUILD_TESTS=OFF \
  -DKAVOLT_DIST_DIR="$build/stage/kavolt" >/dev/null
cmake --build "$build/cmake" --target kavolt

# Debian's Python, as bootstrap.sh installs it: its zlib decides the compressed bytes.
zip=$(/usr/bin/python3 "$build/source/scripts/pack_release.py" "$build/source" "$build/stage/kavolt" "$out")
(cd "$out" && sha256sum "$(basename "$zip")" >SHA256SUMS)

echo "Release of commit $commit:"
echo "$zip"
echo "$out/SHA256SUMS"
