#!/usr/bin/env bash
# The cross targets, one after another, as CI runs them:
#   i386      the whole suite as a 32-bit x86 Linux process under qemu-i386
#   win64     the whole suite, the Microsoft-layout host tests and the debug output under Wine
#   win32dll  the shipping 32-bit Corvane.dll and PanelRecorder.dll, built and checked with scripts/cross/check-dll.sh
# Usage: scripts/cross/run-all.sh [TARGET...]   (default: all three)
#
# Installs what is missing first. Every target runs even when an earlier one failed; the exit status
# is non-zero when any did.
set -euo pipefail
cd "$(dirname "$0")/../.."

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(i386 win64 win32dll)
fi

started=$SECONDS
step() {
  echo
  echo "== $* ($((SECONDS - started)) s)"
}

step "install: ${targets[*]}"
scripts/cross/install.sh "${targets[@]}"

failed=()
for target in "${targets[@]}"; do
  step "$target"
  case "$target" in
    i386)
      if ! cmake --workflow --preset i386; then
        failed+=(i386)
      fi
      ;;
    win64)
      # One Wine server for the whole suite. Left to itself, the server quits as the last Windows
      # program exits, and a test program starting at that moment loses its connection and fails.
      scripts/cross/wine-run.sh --start-server
      if ! cmake --workflow --preset win64; then
        failed+=(win64)
      fi
      scripts/cross/wine-run.sh --stop-server
      ;;
    win32dll)
      if ! (cmake --workflow --preset win32dll && scripts/cross/check-dll.sh &&
        scripts/cross/check-dll.sh build/win32dll/panels/PanelRecorder/PanelRecorder.dll); then
        failed+=("$target")
      fi
      ;;
    *)
      echo "unknown target '$target' (i386, win64, win32dll)" >&2
      failed+=("$target")
      ;;
  esac
done

step "done"
if [ ${#failed[@]} -ne 0 ]; then
  echo "failed: ${failed[*]}"
  exit 1
fi
echo "all cross targets passed: ${targets[*]}"
