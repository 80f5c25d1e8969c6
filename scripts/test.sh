#!/usr/bin/env bash
# Builds and runs every test: the native suite (with the CMake package
# consumer), the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, the Windows build under Wine, a bounded fuzzing
# run and a benchmark smoke run. Each stage builds in its own folder under
# build/.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

stage() { printf '\n=== %s\n' "$*"; }

stage "native build and tests"
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/native -j "$jobs"
ctest --test-dir build/native --output-on-failure -j "$jobs"

stage "tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORVANE_SANITIZE=ON >/dev/null
cmake --build build/sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir build/sanitize --output-on-failure -j "$jobs"

stage "Windows build under Wine"
scripts/test-windows.sh

stage "fuzzing for ${QUORVANE_FUZZ_SECONDS:-60} s"
scripts/fuzz.sh "${QUORVANE_FUZZ_SECONDS:-60}"

stage "benchmarks, each run once (no timing is checked)"
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVANE_BUILD_BENCH=ON >/dev/null
cmake --build build/bench -j "$jobs"
build/bench/bench/reflection_bench --benchmark_min_time=0.001
bench/process_bench.sh --smoke build/bench

echo
echo "all tests passed"
