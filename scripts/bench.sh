#!/usr/bin/env bash
# Builds the benchmark preset and runs the suite: the console output, then the table of every case
# against its floor and its targets. Fails when a case stops with an error or misses an allocation
# target (the counts are exact); time ratios are reported, never failed on.
# Usage: scripts/bench.sh [--smoke] [Google Benchmark flags...]
#   --smoke  every case briefly, once (CI: keeps the suite building and running, checks the counts);
#            the host emulator's soak runs up to 10,000 ticks instead of 100,000
set -euo pipefail
cd "$(dirname "$0")/.."

run_flags=(--benchmark_repetitions=5 --benchmark_report_aggregates_only=true)
extra=()
for arg in "$@"; do
  if [ "$arg" = "--smoke" ]; then
    run_flags=(--benchmark_min_time=0.01)
    export ORVO_SOAK_TICKS=10000
  else
    extra+=("$arg")
  fi
done

scripts/install-deps.sh
cmake --preset bench >/dev/null
cmake --build --preset bench -j 2
build/bench/bench/orvo_bench "${run_flags[@]}" "${extra[@]}"
