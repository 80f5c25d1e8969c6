#!/usr/bin/env bash
# Builds the three packages into build/packages: quorvane-<version>-Linux-x86_64.tar.gz
# and quorvane_<version>_amd64.deb from a static Linux build, and
# quorvane-<version>-Windows-x86_64.zip from the mingw-w64 cross build.
# Needs g++, cmake, ninja-build, g++-mingw-w64-x86-64 and dpkg (Debian).
#   scripts/package.sh [<Linux build folder> <Windows build folder>]
# Given two Release build folders (the test script's), packages what they
# built; otherwise makes its own in build/package-linux and build/package-windows.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$PWD/build/packages
rm -rf "$out"
mkdir -p "$out"
linux=${1:-build/package-linux}
windows=${2:-build/package-windows}

if [ $# -lt 2 ]; then
  cmake -S . -B "$linux" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVANE_BUILD_TESTS=OFF \
    -DQUORVANE_STATIC_TOOL=ON >/dev/null
  cmake -S . -B "$windows" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DQUORVANE_BUILD_TESTS=OFF >/dev/null
fi
grep -q "^QUORVANE_STATIC_TOOL:BOOL=ON" "$linux/CMakeCache.txt" ||
  { echo "the Linux package needs a static tool: $linux links it dynamically" >&2; exit 1; }
for build in "$linux" "$windows"; do
  cmake --build "$build"
  (cd "$build" && cpack -B "$out" >/dev/null)
done

rm -rf "$out/_CPack_Packages"
ls -l "$out"
