#!/usr/bin/env bash
# Cross-builds Quorvane.exe, QuorvaneBuildStep.exe and the unit tests for
# 64-bit Windows with mingw-w64 (statically linked: they need no DLL; the
# build also compiles the reflection header beside <windows.h>), runs the
# unit tests under Wine, and runs the end-to-end tests against the two
# programs. Installs the Debian packages when they are missing. Expects the
# native test build in build/native (scripts/test.sh makes it).
set -euo pipefail
cd "$(dirname "$0")/.."

# googletest: the sources the unit tests are built from for Windows.
scripts/ensure-packages.sh g++-mingw-w64-x86-64 wine wine64 googletest

cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DQUORVANE_BUILD_TESTS=ON >/dev/null
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

# Output to files: Wine's helper processes can hold a pipe open after the
# program ends.
for unit_test in shader_reflection_tests corpus_conformance_tests front_end_tests robustness_tests; do
  log="build/windows/tests/$unit_test.log"
  if ! timeout 900 wine "build/windows/tests/$unit_test.exe" >"$log" 2>&1 </dev/null; then
    cat "$log"
    echo "FAILED under Wine: $unit_test"
    exit 1
  fi
  grep -E '^\[  (PASSED|SKIPPED) ' "$log" | sed "s/^/$unit_test under Wine: /"
done

QUORVANE_TARGET=windows QUORVANE_RUNNER=wine \
QUORVANE_EXE="$PWD/build/windows/front_end/Quorvane.exe" \
QUORVANE_BUILD_STEP_EXE="$PWD/build/windows/front_end/QuorvaneBuildStep.exe" \
QUORVANE_HOLD_OPEN="$PWD/build/windows/hold_open.exe" \
  timeout 900 build/native/tests/end_to_end_tests
