#!/usr/bin/env bash
# The project's test command: builds everything with warnings as errors and runs the whole suite
# (unit tests, panel scenarios through the built module, the emulator's scenario files).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset dev
cmake --build --preset dev -j "$(nproc)"
ctest --preset dev -j "$(nproc)"
