#!/usr/bin/env bash
# Sets up what is missing, builds both targets and the installers and zip of
# build/dist/ (the end-to-end tests run the x64 installer), checks the
# formatting and the layers of the includes, runs the unit tests under Wine
# through ctest (code page 932, again with heap checking, then the
# code-page-dependent ones under 1252), then the end-to-end tests on the real
# program, a second build that must give the same release, and a quick pass of
# the benchmark.
# One line per step; the full logs stay in build/. Ends with "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
mkdir -p build

passed=0 failed=0

# The end of a step's log, for a step that went wrong.
show_tail() {
  echo "  the end of $1:"
  tail -n "${2:-20}" "$1" | sed 's/^/  | /'
}

# A step the rest cannot go without: on failure the end of its log is shown
# and the run ends. Arguments: the step's name, its log, the command.
required_step() {
  local name=$1 log=$2
  shift 2
  if ! "$@" >"$log" 2>&1; then
    echo "$name: failed"
    show_tail "$log" 30
    echo "0 passed, 1 failed"
    exit 1
  fi
}

# Adds a step's counts to the totals. An empty passed count means its log has
# no summary at all: the run broke, which counts as one failure.
tally() {
  local log=$1 p=$2 f=$3
  passed=$((passed + ${p:-0})) failed=$((failed + ${f:-0}))
  if [ -z "$p" ]; then
    show_tail "$log"
    failed=$((failed + 1))
  fi
}

bash scripts/setup.sh || { echo "0 passed, 1 failed"; exit 1; }

required_step build build/build.log bash scripts/build.sh
echo "build: win64 and win32 built (log: build/build.log)"

required_step packaging build/dist.log python3 scripts/dist.py
echo "packaging: build/dist/ made (log: build/dist.log)"

bash scripts/format-check.sh || failed=$((failed + 1))
python3 scripts/check-includes.py || failed=$((failed + 1))

source scripts/wine-env.sh
export QF_BUILD=$root/build/win64 QF_ARTIFACTS=$root/build/artifacts
rm -rf "$QF_ARTIFACTS"
mkdir -p "$QF_ARTIFACTS"
trap 'qf_env_down' EXIT

# Adds the GoogleTest cases of the logs to the totals and prints the step's
# line; a program that failed without a failing case (a crash) counts as one
# failure, and the end of its log is shown. Arguments: the step's name, then
# pairs of log and exit code.
gtest_step() {
  local name=$1 p=0 f=0 logs=() crashed=() log rc lp lf
  shift
  while [ $# -gt 1 ]; do
    log=$1 rc=$2
    shift 2
    logs+=("$log")
    lp=$(grep -Eo '(^|: )\[  PASSED  \] [0-9]+' "$log" | grep -Eo '[0-9]+$' | awk '{s+=$1} END {print s+0}')
    lf=$(grep -Eo '[0-9]+ FAILED TESTS?' "$log" | grep -Eo '^[0-9]+' | awk '{s+=$1} END {print s+0}')
    p=$((p + lp)) f=$((f + lf))
    [ "$rc" -ne 0 ] && [ "$lf" -eq 0 ] && crashed+=("$log")
  done
  passed=$((passed + p)) failed=$((failed + f + ${#crashed[@]}))
  echo "$name: $p passed, $f failed$([ ${#crashed[@]} -eq 0 ] || echo ", ${#crashed[@]} crashed")"
  grep -hE '\[  FAILED  \] [A-Za-z]' "${logs[@]}" | sed -E 's/ \([0-9]+ ms\)$//' | sort -u |
    sed 's/^/  /'
  for log in "${crashed[@]}"; do
    show_tail "$log"
  done
}

# Unit tests, code page 932: one ctest entry per test program.
qf_env_up "$root/build/wine-unit"
ctest --test-dir build/win64 -V -j 2 -LE heap >build/unit.log 2>&1
gtest_step "unit, code page 932 (log: build/unit.log)" build/unit.log $?

# Every unit program once more with the heap checking its blocks (label
# "heap"); each program counts once: clean, or failed with what Wine reported.
ctest --test-dir build/win64 -j 2 -L heap --output-on-failure >build/unit-heap.log 2>&1
heap_total=$(grep -Eo 'tests failed out of [0-9]+' build/unit-heap.log | grep -Eo '[0-9]+$')
heap_failed=$(grep -Eo '[0-9]+ tests failed out of' build/unit-heap.log | grep -Eo '^[0-9]+')
echo "unit, heap check: $((${heap_total:-0} - ${heap_failed:-0})) of ${heap_total:-0} programs clean (log: build/unit-heap.log)"
grep -E '\*\*\*|err:heap|warn:heap' build/unit-heap.log | sort -u | head -n 40 | sed 's/^/  /'
tally build/unit-heap.log "${heap_total:+$((heap_total - ${heap_failed:-0}))}" "${heap_failed:-0}"
qf_env_down

# The code-page-dependent unit tests again under code page 1252.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
qf_env_up "$root/build/wine-1252"
runs=()
for t in unit_search unit_registry unit_framework unit_widgets unit_tray unit_app; do
  exe=build/win64/tests/$t.exe
  [ -f "$exe" ] || continue
  "$QF_WINE" "$exe" --gtest_brief=1 </dev/null >"build/$t-1252.log" 2>&1
  runs+=("build/$t-1252.log" $?)
done
gtest_step "unit, code page 1252 (logs: build/unit_*-1252.log)" "${runs[@]}"
qf_env_down
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

# End-to-end tests on the real program.
qf_env_up "$root/build/wine-e2e"
python3 tests/e2e/run.py >build/e2e.log 2>&1
p=$(grep -Eo '[0-9]+ passed' build/e2e.log | tail -1 | grep -Eo '[0-9]+')
f=$(grep -Eo '[0-9]+ failed' build/e2e.log | tail -1 | grep -Eo '[0-9]+')
echo "e2e: ${p:-0} passed, ${f:-0} failed (log: build/e2e.log)"
grep -E '^FAIL ' build/e2e.log | sed 's/^/  /'
tally build/e2e.log "$p" "$f"
qf_env_down

# Two builds of the same commit give the same bytes: the release is built and
# packaged again in another folder and compared with build/dist/ (one check).
if bash scripts/reproducible.sh >build/reproducible.log 2>&1; then
  echo "$(tail -n 1 build/reproducible.log) (log: build/reproducible.log)"
  passed=$((passed + 1))
else
  show_tail build/reproducible.log # its last line says what differs
  failed=$((failed + 1))
fi

# The benchmark's quick pass, so it keeps working: it prints its figures and
# counts as one check when it runs to its end; no timing is asserted.
bash scripts/bench.sh --short >build/bench.log 2>&1
bench_rc=$?
if [ "$bench_rc" -eq 0 ] && grep -q '^bench: completed' build/bench.log; then
  echo "$(grep '^bench: completed' build/bench.log) (log: build/bench.log)"
  passed=$((passed + 1))
else
  echo "bench: did not complete"
  show_tail build/bench.log
  failed=$((failed + 1))
fi

echo "Artifacts (screenshots): $QF_ARTIFACTS"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
