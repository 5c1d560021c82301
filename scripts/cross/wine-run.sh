#!/usr/bin/env bash
# Runs a 64-bit Windows program under Wine; CMake and CTest use it as the emulator of the win64 build.
# Usage: scripts/cross/wine-run.sh PROGRAM.exe [ARG...]
#
# Wine's own messages stay off unless the caller sets WINEDEBUG (WINEDEBUG=-all,+debugstr shows every
# OutputDebugStringA line). The prefix is a dedicated one, created on first use without the browser and
# .NET add-ons Wine would otherwise offer to download.
set -euo pipefail

wine=""
for candidate in wine64 /usr/lib/wine/wine64; do
  if command -v "$candidate" >/dev/null 2>&1; then
    wine="$candidate"
    break
  fi
done
if [ -z "$wine" ]; then
  echo "wine-run.sh: no wine64 found (scripts/cross/install.sh win64 installs it)" >&2
  exit 127
fi

export WINEDEBUG="${WINEDEBUG:--all}"
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-orvo64}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec "$wine" "$@"
