#!/usr/bin/env bash
# scripts/sdk-mistakes.sh PREFIX
#
# Builds the panel author's mistakes (tests/panel_kit/author_mistakes) against the SDK installed under
# PREFIX, as an author would (find_package with that prefix alone), and fails unless each one is caught
# with its message:
#   hidden_handler  the build stops on the hidden handler, with GCC and, when installed, Clang, without
#                   ORVO_PANEL_WERROR
#   wrong_export    the build stops on the entry point declared by hand with another signature
#   kept_record     the kit test crashes, and the kit names the event whose record was read
# PREFIX is a staged install (cmake --install --prefix) or the usr folder of an unpacked .deb.
set -euo pipefail
if [ $# -ne 1 ] || [ ! -d "$1" ]; then
  echo "usage: scripts/sdk-mistakes.sh PREFIX   (the SDK's install prefix, e.g. stage or unpacked-deb/usr)" >&2
  exit 2
fi
prefix="$(cd "$1" && pwd)"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source_dir="$root/tests/panel_kit/author_mistakes"
work="$(mktemp -d "${TMPDIR:-/tmp}/orvo-sdk-mistakes.XXXXXX")"
trap 'rm -rf "$work"' EXIT
failures=0

# build MISTAKE COMPILER: configures (status 90 when that fails) and builds; the output is in
# $work/MISTAKE-COMPILER.log.
build() {
  local mistake="$1" compiler="$2" dir="$work/$1-$(basename "$2")"
  if ! cmake -S "$source_dir" -B "$dir" -DMISTAKE="$mistake" -DCMAKE_CXX_COMPILER="$compiler" \
      -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_BUILD_TYPE=Debug \
      >"$dir.log" 2>&1; then
    echo "FAIL $mistake ($compiler): the mistake's project does not configure against $prefix:" >&2
    cat "$dir.log" >&2
    return 90
  fi
  cmake --build "$dir" >>"$dir.log" 2>&1
}

# expect_build_stops MISTAKE COMPILER REGEX
expect_build_stops() {
  local mistake="$1" compiler="$2" expect="$3" log="$work/$1-$(basename "$2").log" status=0
  build "$mistake" "$compiler" || status=$?
  if [ "$status" -eq 0 ]; then
    echo "FAIL $mistake ($compiler): it built, but the SDK must stop it" >&2
    failures=$((failures + 1))
  elif [ "$status" -eq 90 ]; then
    failures=$((failures + 1))
  elif ! grep -Eq "$expect" "$log"; then
    echo "FAIL $mistake ($compiler): the build stopped, but not for the mistake:" >&2
    cat "$log" >&2
    failures=$((failures + 1))
  else
    echo "ok   $mistake ($compiler): the build stops: $(grep -Em1 "$expect" "$log" | cut -c1-160)"
  fi
}

compilers=(c++)
if command -v clang++ >/dev/null 2>&1; then
  compilers+=(clang++)
fi
for compiler in "${compilers[@]}"; do
  expect_build_stops hidden_handler "$compiler" "onIntegerEvent.*(hidden|overloaded-virtual)"
done
expect_build_stops wrong_export c++ "conflicting declaration.*load_orvo_client_script|load_orvo_client_script.*conflicting"

# kept_record: builds, and its test must fail with the kit's line naming the event.
log="$work/kept_record-c++.log"
if ! build kept_record c++; then
  echo "FAIL kept_record: the panel and its test do not build:" >&2
  cat "$log" >&2
  failures=$((failures + 1))
elif ctest --test-dir "$work/kept_record-c++" --output-on-failure >>"$log" 2>&1; then
  echo "FAIL kept_record: the test passed, but the panel reads a record after its call" >&2
  failures=$((failures + 1))
elif ! grep -q 'read the record of the event revertive 7 183 "Camera 3" after the call' "$log"; then
  echo "FAIL kept_record: the test failed, but the kit did not name the record that was read:" >&2
  cat "$log" >&2
  failures=$((failures + 1))
else
  echo "ok   kept_record: $(grep -m1 'read the record of the event' "$log")"
fi

if [ "$failures" -ne 0 ]; then
  echo "sdk-mistakes: $failures mistake(s) not caught by the SDK under $prefix" >&2
  exit 1
fi
echo "sdk-mistakes: every mistake caught by the SDK under $prefix"
