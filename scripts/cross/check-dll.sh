#!/usr/bin/env bash
# Checks the shipping 32-bit Corvane.dll with the SDK's DLL checks (cmake/orvo_check_dll.sh, which says
# what each check proves).
# Usage: scripts/cross/check-dll.sh [DLL [VERSION]]
#   DLL      default build/win32dll/panels/Corvane/Corvane.dll
#   VERSION  default "1, 0, 0, 1"
set -euo pipefail
cd "$(dirname "$0")/../.."
dll="${1:-build/win32dll/panels/Corvane/Corvane.dll}"
if [ ! -f "$dll" ]; then
  echo "no DLL at $dll (build it with: cmake --workflow --preset win32dll)" >&2
  exit 2
fi
exec cmake/orvo_check_dll.sh "$dll" "${2:-1, 0, 0, 1}"
