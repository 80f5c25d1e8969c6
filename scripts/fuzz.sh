#!/usr/bin/env bash
# Builds the libFuzzer target with clang and runs it for a bounded time
# (default 60 s) on the committed shaders, with inputs up to 1 MiB and more.
# A crash, a sanitizer report or an input that takes longer than 2 s (a
# valid 1 MiB shader takes milliseconds, even with the sanitizers) fails the
# run; its input is copied to tests/fuzz_regressions/ so the normal test run
# replays it.
#   scripts/fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
cmake -S . -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUORVANE_BUILD_FUZZ=ON -DQUORVANE_BUILD_TESTS=OFF >/dev/null
cmake --build build/fuzz --target reflect_fuzzer
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$work/seeds" "$work/findings"
cp tests/fixtures/*.cso examples/*.cso "$work/seeds/"
find tests/fuzz_regressions -type f ! -name README.md -exec cp {} "$work/seeds/" \;
if ! build/fuzz/fuzz/reflect_fuzzer -max_total_time="$seconds" -dict=fuzz/dxbc.dict \
     -timeout=2 -max_len=1100000 -rss_limit_mb=4096 \
     -artifact_prefix="$work/findings/" -print_final_stats=1 \
     "$work/corpus" "$work/seeds" 2>"$work/log"; then
  tail -n 40 "$work/log"
  for finding in "$work"/findings/*; do
    [ -e "$finding" ] || continue
    cp "$finding" tests/fuzz_regressions/
    echo "fuzzing found $(basename "$finding"); kept in tests/fuzz_regressions/"
  done
  exit 1
fi
grep -E "stat::number_of_executed_units|Done" "$work/log" || true
