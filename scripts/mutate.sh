#!/usr/bin/env bash
# The mutation check of our own suite: each kept mutant (tests/mutants/*.patch, one small realistic fault
# of the library or of the tools that judge panels) is applied to a scratch copy of the tree, the suites
# that exercise that part are built and run against it, and the mutant must make one of them fail. Prints a table of
# killed and surviving mutants; exits 1 when one survives (or no longer applies or builds), 2 when the
# suite fails without any mutant.
#
# Usage: scripts/mutate.sh [pattern]   only the mutants whose file name contains `pattern`
#
# The scratch copy (build/mutate/src) and its two builds are made once and kept: each run brings over
# only the files that changed, and a mutant rebuilds only the targets of its suites, and of those only
# what its file reaches. The library's suites run in build/mutate/build, -O0 with AddressSanitizer and
# UndefinedBehaviorSanitizer, as the hardening step runs the suite, so a write one past a buffer counts
# as a failure. The tools' suites (the emulator, the kit, the runs of panel_host on faulty panels, the
# validator's table, the workbench) run in build/mutate/plain, -O0 without sanitizers: their faults are
# wrong verdicts, not wild writes, and the faulty panels' checks read the plain process. A mutant's run
# stops at the first suite that fails; a suite (or one test of a run) that lasts longer than
# MUTATE_TIMEOUT seconds (default 30) is stopped and counts as failed (a mutant that makes the code loop
# forever is killed that way).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
pattern="${1:-}"
scratch="$root/build/mutate"
src="$scratch/src"
build="$scratch/build"
plain="$scratch/plain"
limit="${MUTATE_TIMEOUT:-30}"
jobs="$(nproc)"
log="$scratch/logs"

scripts/install-deps.sh patch

# --- The scratch copy: the files of the tree (committed or not, never ignored ones), copied only when
# their content differs, so what did not change keeps its time and is not rebuilt.
mkdir -p "$src" "$log"
git ls-files -z --cached --others --exclude-standard | while IFS= read -r -d '' file; do
  [ -f "$file" ] || continue
  if ! cmp -s "$file" "$src/$file"; then
    mkdir -p "$src/$(dirname "$file")"
    cp "$file" "$src/$file"
  fi
done

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# configure <dir> <flags>: warnings stay warnings here, as a mutant is judged by the tests, not by the
# compiler's opinion of it.
configure() {
  if [ ! -f "$1/CMakeCache.txt" ]; then
    cmake -S "$src" -B "$1" -DCMAKE_BUILD_TYPE= -DCMAKE_CXX_FLAGS="$2" -DORVO_WERROR=OFF \
      "${launcher[@]}" >"$log/configure-$(basename "$1").log"
  fi
}
configure "$build" "-O0 -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=all"
configure "$plain" "-O0"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# --- The suites, and what each needs built (in the sanitized build unless it is named in `inPlain`).
# The faulty panels of the mistakes table, as many as it has today, and the cut-short test panel where the
# platform has one. The plain tree is configured again first, so panels added since its last build count.
cmake "$plain" >>"$log/configure-plain.log"
faulty="$(cmake --build "$plain" --target help |
  sed -n 's/^\(\.\.\. \)\{0,1\}\(faulty_[a-z_]*\|panel_host_truncated_panel\)\([: ].*\)\{0,1\}$/\2/p' |
  sort -u | tr '\n' ' ')"
declare -A targets=(
  [string]=string_tests
  [helper]=script_helper_tests
  [corvane]=corvane_tests
  [hostile]=hostile_host_tests
  [module]="corvane_module_tests Corvane"
  [scenarios]="panel_host Corvane"
  [sweep]=allocation_failure_sweep
  [tools]=panel_host_tests
  [kit]=panel_kit_tests
  [runs]="panel_host Corvane panel_host_test_panel panel_host_overflowing_panel panel_host_throwing_destructor
          mistake_story"
  [validate]="panel_host validate_shrink_tests"
  [hang]=panel_host
  [workbench]=workbench_tests
)
declare -A inPlain=([tools]=1 [kit]=1 [runs]=1 [validate]=1 [hang]=1 [workbench]=1)
# The runs of panel_host that judge panels: the hostile libraries, the scenarios, and the authors' mistakes
# in the kit and a scenario run (their validations exercise the validator's code more than the rules').
runs='^(panel_host\.run\.|panel_host\.rules_table$|scenario\.|mistake\.)'
# The validator's own rows: a panel failing each check (and so each outcome and report field) and the
# bad command lines, each a second or two, the coverage and seed stories, the slow but correct panel, and
# the shrinker's unit test. The long storms of the table (a shrunk crash, the correct poller, the author's
# mistakes in full) are left to CI.
validate='^validate\.(bad_level|level_zero|strict_no_site|strict_skipped|unbound_symbol|no_entry|'
validate+='mistake\.no_close|newest_closes|null_host|odd_kind_throws|throws|mixed_keep_answer|leak_per_tick|'
validate+='kept_after_close|coverage_story|coverage_rules|watchdog_tick|correct_slow_ticks|correct_slowing_ticks|'
validate+='Shrinker\..*)$'

# run_suite <suite> <log>: runs one suite against the current build; non-zero when it fails.
run_suite() {
  local suite=$1 out=$2
  local gtest=(--gtest_fail_fast --gtest_brief=1)
  case $suite in
    string) timeout "$limit" "$build/tests/string/string_tests" "${gtest[@]}" ;;
    helper) timeout "$limit" "$build/tests/script_helper/script_helper_tests" "${gtest[@]}" ;;
    corvane) timeout "$limit" "$build/tests/corvane/corvane_tests" "${gtest[@]}" ;;
    hostile) timeout "$limit" "$build/tests/hardening/hostile_host_tests" "${gtest[@]}" ;;
    module) timeout "$limit" "$build/tests/corvane/corvane_module_tests" "${gtest[@]}" ;;
    scenarios) ctest --test-dir "$build" -R '^scenario\.' --stop-on-failure --timeout "$limit" \
                 --output-on-failure ;;
    sweep) timeout "$limit" "$build/tests/hardening/allocation_failure_sweep" ;;
    tools) timeout "$limit" "$plain/tests/tools/panel_host_tests" "${gtest[@]}" ;;
    kit) timeout "$limit" "$plain/tests/panel_kit/panel_kit_tests" "${gtest[@]}" ;;
    runs) ctest --test-dir "$plain" -R "$runs" -j "$jobs" --stop-on-failure --timeout "$limit" \
            --output-on-failure ;;
    validate) ctest --test-dir "$plain" -R "$validate" -j "$jobs" --stop-on-failure --timeout "$limit" \
                --output-on-failure ;;
    # A panel that never returns, caught within the limit (seconds of waiting), and a crash only a
    # sanitizer reports: only for the files that time a check or read its end.
    hang) ctest --test-dir "$plain" -R '^validate\.(never_returns|slot_label\.Sanitized)$' --output-on-failure ;;
    # The workbench's endpoint, server, event stream, watcher and broken builds, without a browser.
    workbench) timeout "$limit" "$plain/tests/workbench/workbench_tests" "${gtest[@]}" ;;
  esac >>"$out" 2>&1
}

# The suites for a mutated file, the likeliest to fail first.
suites_for() {
  case $1 in
    string/*) echo string helper hostile corvane scenarios sweep ;;
    script_helper/*) echo helper corvane hostile scenarios sweep ;;
    panels/*) echo corvane hostile scenarios module sweep ;;
    host_contract/*) echo tools kit runs ;;
    panel_testing/*) echo kit runs ;;
    tools/panel_host/validate/isolation.cpp | tools/panel_host/validate/validate.cpp)
      echo validate hang runs ;;
    tools/panel_host/validate/*) echo validate runs ;;
    tools/panel_host/serve/*) echo workbench ;;
    tools/panel_host/*) echo tools runs ;;
    *) echo helper corvane hostile scenarios module sweep ;;
  esac
}

build_for() {
  local dir=$build
  [ -z "${inPlain[$1]:-}" ] || dir=$plain
  # shellcheck disable=SC2086 # the target list is meant to split
  cmake --build "$dir" -j "$jobs" --target ${targets[$1]} >>"$2" 2>&1
}

# --- Without a mutant every suite must pass, or a failure would say nothing about the mutant.
started=$SECONDS
echo "mutate: building the scratch copy and running every suite without a mutant"
: >"$log/baseline.log"
# The faulty panels are built here only: they are built from tests/validate/ and the SDK's headers, which
# no mutant of the tools touches, and checking their forty-odd targets costs each mutant seconds.
# shellcheck disable=SC2086 # the target list is meant to split
if ! cmake --build "$plain" -j "$jobs" --target $faulty >>"$log/baseline.log" 2>&1; then
  echo "mutate: the faulty panels do not build; see $log/baseline.log" >&2
  exit 2
fi
for suite in string helper corvane hostile module scenarios sweep tools kit runs validate hang workbench; do
  if ! build_for "$suite" "$log/baseline.log" || ! run_suite "$suite" "$log/baseline.log"; then
    echo "mutate: the $suite suite fails without any mutant; see $log/baseline.log" >&2
    exit 2
  fi
done
echo "mutate: the suite passes without a mutant ($((SECONDS - started)) s)"

# --- Each mutant in turn.
rows=()
survivors=0
count=0
for patch in tests/mutants/*.patch; do
  name="$(basename "$patch" .patch)"
  [[ "$name" == *"$pattern"* ]] || continue
  count=$((count + 1))
  what="$(sed -n 's/^Mutant: //p' "$patch" | head -n 1)"
  file="$(sed -n 's|^+++ b/\([^[:space:]]*\).*|\1|p' "$patch" | head -n 1)"
  out="$log/$name.log"
  : >"$out"
  mutantStart=$SECONDS
  if ! patch -p1 -d "$src" --forward --quiet <"$patch" >>"$out" 2>&1; then
    rows+=("| $name | $what | NO LONGER APPLIES | |")
    survivors=$((survivors + 1))
    continue
  fi
  result="SURVIVED"
  by=""
  for suite in $(suites_for "$file"); do
    if ! build_for "$suite" "$out"; then
      result="DOES NOT BUILD"
      break
    fi
    if ! run_suite "$suite" "$out"; then
      result="killed"
      by=$suite
      break
    fi
  done
  patch -p1 -R -d "$src" --quiet <"$patch" >>"$out" 2>&1
  touch "$src/$file"  # the original text is newer than the mutant's objects
  [ "$result" = killed ] || survivors=$((survivors + 1))
  rows+=("| $name | $what | $result | $by |")
  printf 'mutate: %-40s %-16s %-9s %3d s\n' "$name" "$result" "$by" $((SECONDS - mutantStart))
done

echo
echo "| mutant | the fault | result | killed by |"
echo "|---|---|---|---|"
printf '%s\n' "${rows[@]}"
echo
echo "mutate: $((count - survivors)) of $count mutants killed in $((SECONDS - started)) s; logs in $log"
if [ "$count" -eq 0 ]; then
  echo "mutate: no mutant matches \"$pattern\"" >&2
  exit 1
fi
[ "$survivors" -eq 0 ]
