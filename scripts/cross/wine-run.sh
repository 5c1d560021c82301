#!/usr/bin/env bash
# Runs a 64-bit Windows program under Wine; CMake and CTest use it as the emulator of the win64 build.
# Usage: scripts/cross/wine-run.sh PROGRAM.exe [ARG...]
#        scripts/cross/wine-run.sh --start-server | --stop-server
#   --start-server keeps one Wine server running for the prefix until --stop-server, so that programs
#   started one after another (a test suite) never meet a server that is just shutting down.
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
server=""
for candidate in wineserver64 wineserver /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver; do
  if command -v "$candidate" >/dev/null 2>&1; then
    server="$candidate"
    break
  fi
done
case "${1:-}" in
  --start-server)
    # The prefix must exist before its server can start; Wine fills it on first use. A server already
    # running for the prefix is replaced by one that stays.
    mkdir -p "$WINEPREFIX"
    "$server" -k >/dev/null 2>&1 || true
    "$server" -p
    "$wine" wineboot --init >/dev/null 2>&1 || true
    exit 0
    ;;
  --stop-server)
    "$server" -k >/dev/null 2>&1 || true
    exit 0
    ;;
esac
exec "$wine" "$@"
