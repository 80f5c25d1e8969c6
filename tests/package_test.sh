#!/usr/bin/env bash
# Unpacks each package that scripts/package.sh made into a temporary root,
# runs the tool from there on the example shader (the Windows one under
# Wine), and has a consumer project find the CMake package in that root
# through CMAKE_PREFIX_PATH.
#   tests/package_test.sh <folder with the packages>
set -euo pipefail
cd "$(dirname "$0")/.."
packages=$(cd "$1" && pwd)
source=$PWD
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

expected=$(cat <<'HEADER'
#ifndef simple_ps_refl

const QEX::CAPI::D3D_NS::ShaderBase::Uniform simple_ps_refl[] =
{
	{ "Color", 	QEX::CAPI::D3D_NS::ShaderBase::VARTYPE_FLOAT, 0, 16 },
	{ "UseTexture", 	QEX::CAPI::D3D_NS::ShaderBase::VARTYPE_BOOL, 16, 4 },
};

#endif
HEADER
)

check_example() {  # root runner... tool
  local root=$1
  shift
  mkdir -p "$root.run"
  cp examples/simple_ps.cso "$root.run/"
  (cd "$root.run" && "$@" simple_ps.cso simple_ps_refl.h >/dev/null 2>&1) ||
    fail "the tool in $root does not run"
  [ "$(tr -d '\r' <"$root.run/simple_ps_refl.h")" = "$expected" ] ||
    fail "the tool in $root wrote another header"
}

check_package_found() {  # prefix
  mkdir -p "$work/find"
  cat >"$work/find/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.16)
project(FindQuorvane NONE)
find_package(Quorvane 1 REQUIRED)
get_target_property(tool Quorvane::Quorvane LOCATION)
message(STATUS "found Quorvane: ${tool}")
CMAKE
  cmake -S "$work/find" -B "$work/find/build-$(basename "$1")" -DCMAKE_PREFIX_PATH="$1" \
    >"$work/find.log" 2>&1 || fail "no package found in $1: $(cat "$work/find.log")"
  rm -rf "$work/find"
}

tgz=$(ls "$packages"/quorvane-*-Linux-*.tar.gz)
mkdir "$work/tgz"
tar -C "$work/tgz" -xzf "$tgz"
check_example "$work/tgz" "$work/tgz/bin/Quorvane"
tests/consumer_test.sh - Ninja "$source" prefix "$work/tgz"
echo "package passed: $(basename "$tgz")"

deb=$(ls "$packages"/quorvane_*.deb)
dpkg-deb -x "$deb" "$work/deb"
check_example "$work/deb" "$work/deb/usr/bin/Quorvane"
tests/consumer_test.sh - Ninja "$source" prefix "$work/deb/usr"
echo "package passed: $(basename "$deb")"

zip=$(ls "$packages"/quorvane-*-Windows-*.zip)
mkdir "$work/zip"
(cd "$work/zip" && unzip -q "$zip")
export WINEPREFIX="$source/build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
check_example "$work/zip" wine "$work/zip/bin/Quorvane.exe"
# Its tools run on Windows only; here the package is only found.
check_package_found "$work/zip"
echo "package passed: $(basename "$zip")"
