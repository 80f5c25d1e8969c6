#!/usr/bin/env bash
# Builds the three packages into build/packages: quorvane-<version>-Linux-x86_64.tar.gz
# and quorvane_<version>_amd64.deb from a static Linux build, and
# quorvane-<version>-Windows-x86_64.zip from the mingw-w64 cross build.
# Needs g++, cmake, ninja-build, g++-mingw-w64-x86-64 and dpkg (Debian).
set -euo pipefail
cd "$(dirname "$0")/.."
out=$PWD/build/packages
rm -rf "$out"
mkdir -p "$out"

cmake -S . -B build/package-linux -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVANE_BUILD_TESTS=OFF \
  -DQUORVANE_STATIC_TOOL=ON >/dev/null
cmake --build build/package-linux
(cd build/package-linux && cpack -B "$out" >/dev/null)

cmake -S . -B build/package-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DQUORVANE_BUILD_TESTS=OFF >/dev/null
cmake --build build/package-windows
(cd build/package-windows && cpack -B "$out" >/dev/null)

rm -rf "$out/_CPack_Packages"
ls -l "$out"
