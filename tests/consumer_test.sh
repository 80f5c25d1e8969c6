#!/usr/bin/env bash
# Builds examples/consumer with Quorvane brought in by one route, where
# GoogleTest cannot be found, and checks the tables its programs print, that
# the header rules rerun exactly when the shader changes, and that a failing
# shader fails the build every time and leaves no header.
#   tests/consumer_test.sh <project build folder> <generator> <source folder> <route> [<prefix>]
# route: find_package (installs <project build folder>), add_subdirectory (a
# copy of the source), FetchContent (a git repository made from that copy),
# or prefix (find_package of what is already in <prefix>, an unpacked
# package; the build folder is not used).
set -euo pipefail
build=$1
generator=$2
source=$3
route=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL ($route, $generator): $*" >&2; exit 1; }

# The project's files as they are now, committed or not, without builds.
copy_source() {
  mkdir -p "$1"
  tar -C "$source" --exclude=./build --exclude=./.git -cf - . | tar -C "$1" -xf -
}

case $route in
  find_package)
    cmake --install "$build" --prefix "$work/install" >/dev/null
    route_args=(-DCMAKE_PREFIX_PATH="$work/install")
    ;;
  add_subdirectory)
    copy_source "$work/quorvane"
    route_args=(-DQUORVANE_ROUTE=add_subdirectory -DQUORVANE_SOURCE="$work/quorvane")
    ;;
  FetchContent)
    copy_source "$work/quorvane"
    git -C "$work/quorvane" init -q -b main
    git -C "$work/quorvane" add -A
    git -C "$work/quorvane" -c user.name=test -c user.email=test@localhost commit -q -m snapshot
    route_args=(-DQUORVANE_ROUTE=FetchContent -DQUORVANE_SOURCE="file://$work/quorvane")
    ;;
  prefix)
    route_args=(-DCMAKE_PREFIX_PATH="$5")
    ;;
  *) fail "unknown route" ;;
esac

cp "$source/examples/simple_ps.cso" "$work/simple_ps.cso"
configure() {  # build-folder shader
  # Debug: the routes that build Quorvane itself compile it faster so.
  cmake -S "$source/examples/consumer" -B "$1" -G "$generator" -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON "${route_args[@]}" -DSHADER="$2" >"$1.configure.log" 2>&1 ||
    fail "configure: $(cat "$1.configure.log")"
}

configure "$work/good" "$work/simple_ps.cso"
cmake --build "$work/good" --parallel 2 >"$work/build.log" 2>&1 || fail "build: $(cat "$work/build.log")"
expected=$'Color float 0 16\nUseTexture bool 16 4'
[ "$("$work/good/consumer")" = "$expected" ] || fail "consumer does not print the shader's table"
[ "$("$work/good/consumer_many")" = "$expected" ] ||
  fail "consumer_many does not print the shader's table"

# A changed shader: the headers and what includes them, nothing else.
sleep 1
touch "$work/simple_ps.cso"
log=$(cmake --build "$work/good")
grep -q "Writing the uniform table shader_refl.h" <<<"$log" || fail "header not rewritten: $log"
grep -q "Writing the uniform table simple_ps_refl.h" <<<"$log" || fail "table not rewritten: $log"
grep -q "main.cpp" <<<"$log" || fail "touched shader, main.cpp not rebuilt: $log"
! grep -q "unrelated.cpp" <<<"$log" || fail "touched shader, unrelated.cpp rebuilt: $log"

# No change: no work.
log=$(cmake --build "$work/good")
! grep -q -E "Writing the uniform table|Building CXX|Linking" <<<"$log" || fail "second build did work: $log"

# An int in the first buffer: the build fails each time and leaves no header.
cp "$source/tests/fixtures/int_first_ps_5_0.cso" "$work/bad.cso"
configure "$work/bad" "$work/bad.cso"
for attempt in 1 2; do
  if cmake --build "$work/bad" >"$work/bad.log" 2>&1; then
    fail "build $attempt with an int in the first buffer succeeded"
  fi
  grep -q "Unknown variable type for variable: 'Mode'" "$work/bad.log" || fail "no reason shown: $(cat "$work/bad.log")"
  [ ! -e "$work/bad/shader_refl.h" ] || fail "build $attempt left a header behind"
  [ ! -e "$work/bad/tables/bad_refl.h" ] || fail "build $attempt left a table behind"
done
echo "consumer test passed ($route, $generator)"
