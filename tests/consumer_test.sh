#!/usr/bin/env bash
# Installs the built project into a fresh prefix, builds examples/consumer
# against the installed package with the given generator, and checks that
# the header rule reruns exactly when the shader changes and that a failing
# shader fails the build and leaves no header.
#   tests/consumer_test.sh <project build folder> <generator> <source folder>
set -euo pipefail
build=$1
generator=$2
source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/install" >/dev/null
cp "$source/examples/simple_ps.cso" "$work/shader.cso"

configure() {  # build-folder shader
  cmake -S "$source/examples/consumer" -B "$1" -G "$generator" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_PREFIX_PATH="$work/install" -DSHADER="$2" >/dev/null
}

configure "$work/good" "$work/shader.cso"
cmake --build "$work/good" >/dev/null
[ "$("$work/good/consumer")" = $'Color float 0 16\nUseTexture bool 16 4' ] ||
  fail "the consumer does not print the shader's table"

# A changed shader: the header and what includes it, nothing else.
sleep 1
touch "$work/shader.cso"
log=$(cmake --build "$work/good")
grep -q "Writing the uniform table shader_refl.h" <<<"$log" || fail "touched shader, header not rewritten: $log"
grep -q "main.cpp" <<<"$log" || fail "touched shader, main.cpp not rebuilt: $log"
! grep -q "unrelated.cpp" <<<"$log" || fail "touched shader, unrelated.cpp rebuilt: $log"

# No change: no work.
log=$(cmake --build "$work/good")
! grep -q -E "Writing the uniform table|Building CXX|Linking" <<<"$log" || fail "second build did work: $log"

# An int in the first buffer: the build fails and no header is left.
cp "$source/tests/fixtures/int_first_ps_5_0.cso" "$work/bad.cso"
configure "$work/bad" "$work/bad.cso"
for attempt in 1 2; do
  if cmake --build "$work/bad" >"$work/bad.log" 2>&1; then
    fail "build $attempt with an int in the first buffer succeeded"
  fi
  grep -q "Unknown variable type for variable: 'Mode'" "$work/bad.log" || fail "no reason shown: $(cat "$work/bad.log")"
  [ ! -e "$work/bad/shader_refl.h" ] || fail "build $attempt left a header behind"
done
echo "consumer package test passed ($generator)"
