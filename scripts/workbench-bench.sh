#!/usr/bin/env bash
# The workbench's click latency: builds panel_host and Corvane (preset "release"), serves the demo and
# clicks Select 200 times in headless Chromium through the browser test's driver. Prints the median and
# the 95th percentile from click to redrawn cell (the goal is under 50 ms at the 95th percentile).
# Usage: scripts/workbench-bench.sh [CLICKS]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

scripts/install-deps.sh
scripts/install-browser.sh
cmake --preset release >/dev/null
cmake --build --preset release -j2 --target panel_host Corvane >/dev/null

# shellcheck source=/dev/null
. build/release/panel_host_demo.env
/usr/bin/python3 tests/workbench/click_latency.py --panel-host "$panel_host" --library "$corvane" \
    --site demo/site.json --clicks "${1:-200}"
