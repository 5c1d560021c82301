#!/usr/bin/env bash
# Builds the host emulator and the Corvane panel (CMake preset "release") and plays the demo scenario:
# start-up, the poll completing, one edit from row choice to the confirming revertive, a Restore, and
# the panel drawn at the end. Installs the build's Debian packages first when they are missing.
# Exits non-zero when anything fails, the demo's own expectations included.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

scripts/install-deps.sh

cmake --preset release
cmake --build --preset release -j2 --target panel_host Corvane

# Written by the configure step: the paths of the two programs.
env_file="build/release/panel_host_demo.env"
if [ ! -f "$env_file" ]; then
    echo "demo: $env_file is missing; did the configure step find the Corvane target?" >&2
    exit 1
fi
# shellcheck source=/dev/null
. "$env_file"

"$panel_host" "$corvane" demo/site.json demo/demo.scenario
