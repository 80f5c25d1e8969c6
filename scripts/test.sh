#!/usr/bin/env bash
# Installs what the tests need (the Debian packages in
# scripts/debian-packages.txt, those not installed yet), then builds and
# runs every test: the native suite (with the CMake consumers), the same
# suite under AddressSanitizer and UndefinedBehaviorSanitizer, the Windows
# build under Wine, the packages, a bounded fuzzing run and a benchmark
# smoke run. Each stage builds in its own folder under build/.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck disable=SC2046
scripts/ensure-packages.sh $(cat scripts/debian-packages.txt)
jobs=$(nproc 2>/dev/null || echo 2)

started=$SECONDS
stage() { printf '\n=== %s (at %d s)\n' "$*" $((SECONDS - started)); }

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

stage "packages: .tar.gz, .deb and the Windows .zip, each unpacked and used"
scripts/package.sh build/native build/windows
tests/package_test.sh build/packages

stage "fuzzing for ${QUORVANE_FUZZ_SECONDS:-60} s"
scripts/fuzz.sh "${QUORVANE_FUZZ_SECONDS:-60}"

stage "benchmarks, each run once (no timing is checked)"
cmake -S . -B build/native -DQUORVANE_BUILD_BENCH=ON >/dev/null
cmake --build build/native -j "$jobs"
build/native/bench/reflection_bench --benchmark_min_time=0.001
bench/process_bench.sh --smoke build/native
bench/build_rule_bench.sh --smoke build/native

echo
echo "all tests passed in $((SECONDS - started)) s"
