#!/usr/bin/env bash
# Configures Quorvane alone with AddressSanitizer in CMAKE_CXX_FLAGS and the
# linker flags, where a static executable cannot link, and checks that the
# configure says so, the tool links, and it runs.
#   tests/sanitizer_flags_link_test.sh <source folder>
set -euo pipefail
source=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake -S "$source" -B "$work" -G Ninja -DQUORVANE_BUILD_TESTS=OFF \
  -DCMAKE_CXX_FLAGS=-fsanitize=address -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address \
  >"$work/configure.log" 2>&1 || { cat "$work/configure.log"; exit 1; }
grep -q "linking the tool dynamically" "$work/configure.log" ||
  { echo "FAIL: no status line about dynamic linking"; cat "$work/configure.log"; exit 1; }
cmake --build "$work" --target Quorvane >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }
cd "$work"
ASAN_OPTIONS=detect_leaks=0 "$work/front_end/Quorvane" "$source/examples/simple_ps.cso" t_refl.h
grep -q '"UseTexture"' t_refl.h
echo "tool links and runs with sanitizer flags"
