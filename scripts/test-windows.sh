#!/usr/bin/env bash
# Cross-builds Quorvane.exe for 64-bit Windows with mingw-w64 (statically
# linked: it needs no DLL) and runs the end-to-end tests against it under
# Wine. Installs the two Debian packages when they are missing. Expects the
# native test build in build/native (scripts/test.sh makes it).
set -euo pipefail
cd "$(dirname "$0")/.."

missing=()
command -v x86_64-w64-mingw32-g++ >/dev/null || missing+=(g++-mingw-w64-x86-64)
command -v wine >/dev/null || missing+=(wine wine64)
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DQUORVANE_BUILD_TESTS=OFF >/dev/null
cmake --build build/windows
x86_64-w64-mingw32-g++ -O2 -static -o build/windows/hold_open.exe tests/windows/hold_open.cpp

if [ ! -x build/native/tests/end_to_end_tests ]; then
  cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build/native --target end_to_end_tests
fi

# A prefix of our own, made once, quietly; later runs reuse it.
export WINEPREFIX="$PWD/build/wine-prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -d "$WINEPREFIX" ]; then
  timeout 300 wineboot --init >/dev/null 2>&1 || true
fi
# One wine server for the whole run: when each of the hundreds of short runs
# starts its own, a run now and then meets the previous server shutting down
# and fails to start at all.
# wineboot leaves its server running for a few seconds; replace it.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
wineserver -p
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

QUORVANE_TARGET=windows QUORVANE_RUNNER=wine \
QUORVANE_EXE="$PWD/build/windows/front_end/Quorvane.exe" \
QUORVANE_BUILD_STEP_EXE="$PWD/build/windows/front_end/QuorvaneBuildStep.exe" \
QUORVANE_HOLD_OPEN="$PWD/build/windows/hold_open.exe" \
  timeout 900 build/native/tests/end_to_end_tests
