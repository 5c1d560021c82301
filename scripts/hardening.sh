#!/usr/bin/env bash
# The robustness checks CI runs: the library lives inside the host's process, so it is built and run
# under the sanitizers, under valgrind, under the fuzzers, with every allocation failed in turn, and
# measured for coverage. Each step installs what it needs and exits non-zero on any finding.
#
# Usage: scripts/hardening.sh asan | valgrind | fuzz [seconds] | alloc | coverage | all [seconds]
#   asan       the whole suite built with AddressSanitizer + UndefinedBehaviorSanitizer (build/asan)
#   valgrind   the panel, scenario and robustness tests under memcheck: no errors, no leaks
#              (build/h-hard-valgrind)
#   fuzz       each libFuzzer target for `seconds` (default 60) on a scratch copy of its seed corpus,
#              after replaying the inputs it once failed on (fuzz/regressions/); findings are saved
#              under build/fuzz/findings/<target>/ (build/fuzz)
#   alloc      the allocation-failure sweep, in the sanitizer build
#   coverage   the suite built with gcc --coverage; line and branch summary of string/, script_helper/
#              and panels/ (build/coverage; per-file reports in build/coverage/coverage-*.txt)
#   all        every step above, in that order; fails when any of them fails
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
self="$root/scripts/hardening.sh"
jobs="$(nproc)"

install() {
  scripts/install-deps.sh "$@"
}

step_asan() {
  install
  cmake --preset asan
  cmake --build --preset asan -j "$jobs"
  ctest --preset asan -j "$jobs"
}

# What memcheck runs: everything that drives the panel (its unit scenarios, the built module, the host
# emulator's scenario files, the hostile-input tests and the allocation sweep). The export check is a
# cmake script, not our code.
valgrind_tests='^(Corvane|scenario\.|Hostile|hardening\.)'
valgrind_exclude='ExportsOnlyTheEntryPoint'

step_valgrind() {
  install valgrind
  cmake --preset valgrind
  cmake --build --preset valgrind -j "$jobs"
  local build=build/h-hard-valgrind
  rm -f "$build"/Testing/Temporary/MemoryChecker.*.log
  # --error-exitcode turns any memcheck error, and any leak of the listed kinds, into a failed test.
  ctest --test-dir "$build" -T memcheck -j "$jobs" --output-on-failure \
    -R "$valgrind_tests" -E "$valgrind_exclude" \
    --overwrite MemoryCheckCommand="$(command -v valgrind)" \
    --overwrite MemoryCheckCommandOptions="--tool=memcheck --leak-check=full --show-leak-kinds=definite,indirect,possible --errors-for-leak-kinds=definite,indirect,possible --track-origins=yes --error-exitcode=99"
  # Belt and braces: a defect ctest counted must not pass unnoticed either.
  if grep -lE "ERROR SUMMARY: [1-9]|definitely lost: [1-9]|indirectly lost: [1-9]|possibly lost: [1-9]" \
      "$build"/Testing/Temporary/MemoryChecker.*.log 2>/dev/null; then
    echo "valgrind: memcheck reported errors or leaks in the logs listed above" >&2
    return 1
  fi
  local count
  count=$(ls "$build"/Testing/Temporary/MemoryChecker.*.log 2>/dev/null | wc -l)
  echo "valgrind: $count test runs under memcheck, 0 errors, 0 leaks"
}

fuzz_targets=(fuzz_parse_command fuzz_decode_orvo_string fuzz_string_arg fuzz_string_split_toint
  fuzz_stringlist fuzz_corvane_events fuzz_site fuzz_layout fuzz_scenario)

# run_fuzzer <target> <seconds>: one target on a scratch copy of its seeds; prints its executions.
run_fuzzer() {
  local target=$1 seconds=$2
  local build=build/fuzz
  local seeds=fuzz/corpus/${target#fuzz_}
  local work=$build/corpus/$target findings=$build/findings/$target
  rm -rf "$work"
  mkdir -p "$work" "$findings"
  cp "$seeds"/* "$work"/
  local options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
    -artifact_prefix="$findings/")
  # The panel's debug lines (failed lookups, repeated polls) would flood the fuzzer's own report.
  if [ "$target" = fuzz_corvane_events ]; then
    options+=(-close_fd_mask=2)
  fi
  local log=$build/$target.log
  local status=0
  # Inputs a target once failed on are replayed first, each once; they stay out of the seeds, where
  # a slow one would drag down every mutation made from it.
  local regressions=fuzz/regressions/${target#fuzz_}
  if [ -d "$regressions" ]; then
    "$build/fuzz/$target" "${options[@]}" "$regressions"/* >"$log" 2>&1 || status=$?
  fi
  if [ "$status" -eq 0 ]; then
    "$build/fuzz/$target" "${options[@]}" "$work" >"$log" 2>&1 || status=$?
  fi
  local runs
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  if [ "$status" -ne 0 ]; then
    echo "fuzz: $target FAILED (exit $status); input saved in $findings/, log in $log" >&2
    tail -n 40 "$log" >&2
    return 1
  fi
  echo "fuzz: $target ${runs:-0} executions in ${seconds}s, no findings"
}

step_fuzz() {
  local seconds=${1:-60}
  install clang-14 libclang-rt-14-dev
  cmake --preset fuzz
  cmake --build --preset fuzz -j "$jobs" --target "${fuzz_targets[@]}"
  # One target per core at a time; every target runs to the end even when another has failed.
  local failed=0 running=0
  for target in "${fuzz_targets[@]}"; do
    run_fuzzer "$target" "$seconds" &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
      wait -n || failed=1
      running=$((running - 1))
    fi
  done
  while [ "$running" -gt 0 ]; do
    wait -n || failed=1
    running=$((running - 1))
  done
  return "$failed"
}

step_alloc() {
  install
  cmake --preset asan
  cmake --build --preset asan -j "$jobs" --target allocation_failure_sweep
  build/asan/tests/hardening/allocation_failure_sweep
}

step_coverage() {
  install gcovr
  cmake --preset coverage
  cmake --build --preset coverage -j "$jobs"
  find build/coverage -name '*.gcda' -delete
  ctest --preset coverage -j "$jobs"
  # The library only: the string component, the helper and the panels. Branches the compiler adds for
  # exception unwinding are not branches of our code.
  local out=build/coverage
  gcovr --root "$root" --object-directory "$root/$out" --exclude-directories "$root/$out/CMakeFiles" \
    --filter "$root/string/" --filter "$root/script_helper/" --filter "$root/panels/" \
    --exclude-throw-branches --exclude-unreachable-branches \
    --json "$out/coverage.json"
  gcovr --add-tracefile "$out/coverage.json" --txt "$out/coverage-lines.txt"
  gcovr --add-tracefile "$out/coverage.json" --branches --txt "$out/coverage-branches.txt"
  cat "$out/coverage-lines.txt" "$out/coverage-branches.txt"
  gcovr --add-tracefile "$out/coverage.json" --print-summary --txt /dev/null
}

usage() {
  sed -n '6,16p' "$self" >&2
  exit 2
}

command=${1:-}
case "$command" in
  asan) step_asan ;;
  valgrind) step_valgrind ;;
  fuzz) step_fuzz "${2:-60}" ;;
  alloc) step_alloc ;;
  coverage) step_coverage ;;
  all)
    # Each step in a process of its own, so that it stops at its first failure and the others still run.
    failed=()
    "$self" asan || failed+=(asan)
    "$self" valgrind || failed+=(valgrind)
    "$self" fuzz "${2:-60}" || failed+=(fuzz)
    "$self" alloc || failed+=(alloc)
    "$self" coverage || failed+=(coverage)
    if [ ${#failed[@]} -ne 0 ]; then
      echo "hardening: failed: ${failed[*]}" >&2
      exit 1
    fi
    echo "hardening: all steps passed"
    ;;
  *) usage ;;
esac
