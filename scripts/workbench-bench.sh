#!/usr/bin/env bash
# The workbench's speed and memory: builds panel_host and Corvane (preset "release") and serves the demo.
# 1. Click latency: clicks Select CLICKS times (default 200) in headless Chromium through the browser
#    test's driver; prints the median and the 95th percentile from click to redrawn cell (the goal is
#    under 50 ms at the 95th percentile).
# 2. A long session: posts 100,000 actions and reports the server's memory after 10,000 and 100,000 of
#    them, beside what the saved steps take, and the time a new page takes to be drawn and settled.
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
/usr/bin/python3 tests/workbench/long_session.py --panel-host "$panel_host" --library "$corvane" \
    --site demo/site.json --checkpoints 10000 100000
