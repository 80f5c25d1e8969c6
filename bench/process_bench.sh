#!/usr/bin/env bash
# Whole-process cost, side by side in one hyperfine run: the tool on a
# typical shader, an empty statically linked C program (the floor: starting
# a process at all), cp of the same shader, and the tool on the
# 16,384-variable shader against cp of that shader. Prints the ratios of the
# medians and the tool's peak memory for both shaders.
#   bench/process_bench.sh [--smoke] [build folder, default build/native]
set -euo pipefail
cd "$(dirname "$0")/.."
# The machine's noise drifts over seconds, so the five commands are timed
# side by side in several short rounds, and each ratio is the median over
# the rounds of that round's ratio of medians.
runs=${QUORVANE_BENCH_RUNS:-100}
rounds=${QUORVANE_BENCH_ROUNDS:-7}
warmup=20
if [ "${1:-}" = "--smoke" ]; then
  runs=2
  rounds=1
  warmup=0
  shift
fi
build=${1:-build/native}

missing=()
command -v hyperfine >/dev/null || missing+=(hyperfine)
[ -x /usr/bin/time ] || missing+=(time)
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVANE_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target Quorvane make_large_shader >/dev/null
tool=$(cd "$build/front_end" && pwd)/Quorvane

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cc -O2 -static -o "$work/empty" bench/empty.c
cp tests/fixtures/two_cbuffers_vs_5_0.cso "$work/typical.cso"
"$build/bench/make_large_shader" "$work/huge.cso"
cd "$work"

median() { awk -F, -v name="$1" '$1 == name { print $4 }' "$2"; }
for round in $(seq "$rounds"); do
  hyperfine -N --warmup "$warmup" --runs "$runs" --export-csv "round$round.csv" --style none \
    -n empty "./empty" \
    -n tool_typical "$tool typical.cso typical_refl.h" \
    -n cp_typical "cp typical.cso typical_copy.cso" \
    -n tool_huge "$tool huge.cso huge_refl.h" \
    -n cp_huge "cp huge.cso huge_copy.cso" >/dev/null 2>&1
  for name in empty tool_typical cp_typical tool_huge cp_huge; do
    echo "$name $(median "$name" "round$round.csv")" >>medians.txt
  done
  echo "$(median tool_typical "round$round.csv") $(median empty "round$round.csv")" |
    awk '{ printf "%.3f\n", $1 / $2 }' >>ratio_typical_empty.txt
  echo "$(median tool_typical "round$round.csv") $(median cp_typical "round$round.csv")" |
    awk '{ printf "%.3f\n", $1 / $2 }' >>ratio_typical_cp.txt
  echo "$(median tool_huge "round$round.csv") $(median cp_huge "round$round.csv")" |
    awk '{ printf "%.3f\n", $1 / $2 }' >>ratio_huge_cp.txt
done

# "median (lowest .. highest)" of a column of numbers.
summary() { sort -g "$1" | awk '{ v[NR] = $1 } END { printf "%.2f (%.2f .. %.2f)", v[int((NR + 1) / 2)], v[1], v[NR] }'; }
peak() { /usr/bin/time -f %M "$tool" "$1" out_refl.h 2>&1 >/dev/null | tail -n 1; }

echo "$rounds rounds of $runs runs each; medians in microseconds, median over rounds (lowest .. highest):"
for name in empty tool_typical cp_typical tool_huge cp_huge; do
  grep "^$name " medians.txt | awk '{ print $2 * 1e6 }' >"$name.txt"
  printf '  %-13s %s\n' "$name" "$(summary "$name.txt")"
done
echo "typical shader: tool / empty static program = $(summary ratio_typical_empty.txt) (target 1.25)"
echo "typical shader: tool / cp                    = $(summary ratio_typical_cp.txt)"
echo "16,384 variables: tool / cp                  = $(summary ratio_huge_cp.txt) (target 2)"
echo "peak memory (max RSS): typical $(peak typical.cso) KiB, 16,384 variables $(peak huge.cso) KiB;" \
     "the inputs are $(stat -c %s typical.cso) and $(stat -c %s huge.cso) bytes"
