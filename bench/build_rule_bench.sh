#!/usr/bin/env bash
# What the build rule costs per shader: a Ninja build (-j1) that writes N
# headers with quorvane_uniform_table(), against the same N runs of the tool
# from a shell loop, in alternating rounds. Prints each round and the median
# ratio.
#   bench/build_rule_bench.sh [<quorvane build folder> [N [rounds]]]
# --smoke: N=20, 1 round, to check that it runs.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--smoke" ]; then
  shift
  set -- "${1:-build/native}" 20 1
fi
build=$(cd "${1:-build/native}" && pwd)
count=${2:-300}
rounds=${3:-5}
source=$PWD
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/install" >/dev/null
tool="$work/install/bin/Quorvane"
mkdir -p "$work/project/shaders" "$work/loop"
for i in $(seq -w 1 "$count"); do cp "$source/examples/simple_ps.cso" "$work/project/shaders/s$i.cso"; done
cat >"$work/project/CMakeLists.txt" <<'EOF'
cmake_minimum_required(VERSION 3.16)
project(RuleBench NONE)
find_package(Quorvane 1 REQUIRED)
file(GLOB shaders "${CMAKE_CURRENT_SOURCE_DIR}/shaders/*.cso")
set(headers "")
foreach(shader IN LISTS shaders)
  quorvane_uniform_table(header SHADER "${shader}")
  list(APPEND headers "${header}")
endforeach()
add_custom_target(tables ALL DEPENDS ${headers})
EOF
cmake -S "$work/project" -B "$work/project/build" -G Ninja -DCMAKE_PREFIX_PATH="$work/install" >/dev/null
ninja -C "$work/project/build" -j1 >/dev/null

now() { date +%s%N; }
ratios=()
for round in $(seq 1 "$rounds"); do
  rm -f "$work"/project/build/*_refl.h
  start=$(now)
  ninja -C "$work/project/build" -j1 >/dev/null
  rule=$(( $(now) - start ))
  [ "$(ls "$work"/project/build/*_refl.h | wc -l)" -eq "$count" ] || { echo "headers missing"; exit 1; }

  rm -f "$work"/loop/*_refl.h
  start=$(now)
  (cd "$work/loop" && for shader in "$work"/project/shaders/*.cso; do
     name=${shader##*/}
     name=${name%.cso}
     "$tool" "$shader" "${name}_refl.h" >/dev/null
   done)
  loop=$(( $(now) - start ))
  ratio=$(awk -v a="$rule" -v b="$loop" 'BEGIN { printf "%.2f", a / b }')
  ratios+=("$ratio")
  awk -v r="$round" -v a="$rule" -v b="$loop" -v n="$count" -v q="$ratio" 'BEGIN {
    printf "round %d: build rule %.2f ms per shader, plain runs %.2f ms per shader, ratio %s\n",
           r, a / n / 1e6, b / n / 1e6, q }'
done
printf '%s\n' "${ratios[@]}" | sort -n | awk '{ v[NR] = $1 } END { printf "median ratio over %d rounds: %s\n", NR, v[int((NR + 1) / 2)] }'
