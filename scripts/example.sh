#!/usr/bin/env bash
# The Quick start's first command: installs only what building the tool
# needs (a C++ compiler, CMake, Ninja), builds the tool alone in
# build/example, runs it on examples/simple_ps.cso and prints the header it
# writes, examples/simple_ps_refl.h.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-packages.sh g++ cmake ninja-build
cmake -S . -B build/example -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVANE_BUILD_TESTS=OFF >/dev/null
cmake --build build/example --target Quorvane
(cd examples && ../build/example/front_end/Quorvane simple_ps.cso simple_ps_refl.h)
echo
cat examples/simple_ps_refl.h
