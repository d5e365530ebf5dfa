#!/usr/bin/env bash
# Sets up what is missing, builds both targets and the installers and zip of
# build/dist/ (the end-to-end tests run the x64 installer), runs the unit tests under Wine
# through ctest (code page 932, again with heap checking, then the code-page-dependent
# ones under 1252), then the end-to-end tests on the real program. Ends with
# "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh
bash scripts/build.sh || { echo "build failed"; echo "0 passed, 1 failed"; exit 1; }
python3 scripts/dist.py || { echo "packaging failed"; echo "0 passed, 1 failed"; exit 1; }

source scripts/wine-env.sh
export QF_BUILD=$root/build/win64 QF_ARTIFACTS=$root/build/artifacts
rm -rf "$QF_ARTIFACTS"
mkdir -p "$QF_ARTIFACTS"
trap 'qf_env_down' EXIT

passed=0 failed=0
count() {  # adds the "N passed, N failed" of a log to the totals
  local p f
  p=$(grep -Eo '[0-9]+ passed' "$1" | tail -1 | grep -Eo '[0-9]+')
  f=$(grep -Eo '[0-9]+ failed' "$1" | tail -1 | grep -Eo '[0-9]+')
  passed=$((passed + ${p:-0})) failed=$((failed + ${f:-0}))
  [ -n "$p" ] || failed=$((failed + 1))  # no summary at all: the run broke
}

# Counts the cases of GoogleTest output in a log: passed and failed tests.
gtest_count() {
  local p f
  p=$(grep -Eo '(^|: )\[  PASSED  \] [0-9]+' "$1" | grep -Eo '[0-9]+$' | awk '{s+=$1} END {print s+0}')
  f=$(grep -Eo '[0-9]+ FAILED TESTS?' "$1" | grep -Eo '^[0-9]+' | awk '{s+=$1} END {print s+0}')
  passed=$((passed + ${p:-0})) failed=$((failed + ${f:-0}))
}

# Unit tests, code page 932: one ctest entry per test program.
qf_env_up "$root/build/wine-unit"
ctest --test-dir build/win64 -V -j 2 -LE heap >build/unit.log 2>&1
ctest_rc=$?
grep -E '^ *[0-9]+/[0-9]+ Test|tests passed|tests failed|\[  FAILED  \]' build/unit.log
gtest_count build/unit.log
if [ "$ctest_rc" -ne 0 ] && ! grep -q 'FAILED TEST' build/unit.log; then
  echo "ctest failed without a failing test case (a crash?); see build/unit.log"
  failed=$((failed + 1))
fi

# Every unit program once more with the heap checking its blocks (label
# "heap"); each program counts once: clean, or failed with what Wine reported.
ctest --test-dir build/win64 -j 2 -L heap --output-on-failure >build/unit-heap.log 2>&1
grep -E '^ *[0-9]+/[0-9]+ Test|tests passed|tests failed|err:heap|warn:heap' build/unit-heap.log
heap_total=$(grep -Eo 'tests failed out of [0-9]+' build/unit-heap.log | grep -Eo '[0-9]+$')
heap_failed=$(grep -Eo '[0-9]+ tests failed out of' build/unit-heap.log | grep -Eo '^[0-9]+')
echo "== heap check: $((${heap_total:-0} - ${heap_failed:-0})) of ${heap_total:-0} unit programs clean"
passed=$((passed + ${heap_total:-0} - ${heap_failed:-0})) failed=$((failed + ${heap_failed:-0}))
[ -n "$heap_total" ] || failed=$((failed + 1)) # no summary at all: the run broke
qf_env_down

# The code-page-dependent unit tests again under code page 1252.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
qf_env_up "$root/build/wine-1252"
for t in unit_search unit_registry unit_framework unit_widgets unit_tray unit_app; do
  exe=build/win64/tests/$t.exe
  [ -f "$exe" ] || continue
  "$QF_WINE" "$exe" --gtest_brief=1 </dev/null >"build/$t-1252.log" 2>&1
  rc=$?
  echo "== $t under code page 1252: $(grep -E '^\[  (PASSED|FAILED)  \] [0-9]+' "build/$t-1252.log" | tr '\n' ' ')"
  gtest_count "build/$t-1252.log"
  if [ "$rc" -ne 0 ] && ! grep -q 'FAILED TEST' "build/$t-1252.log"; then
    echo "$t crashed under code page 1252; see build/$t-1252.log"
    failed=$((failed + 1))
  fi
done
qf_env_down
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

# End-to-end tests on the real program.
qf_env_up "$root/build/wine-e2e"
python3 tests/e2e/run.py 2>&1 | tee build/e2e.log
count build/e2e.log
qf_env_down

echo "Artifacts (screenshots): $QF_ARTIFACTS"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
