#!/usr/bin/env bash
# Sets up what is missing, builds both targets, runs the unit tests under Wine
# through ctest (code page 932, then the code-page-dependent ones under 1252),
# then the end-to-end tests on the real program. Ends with "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh
bash scripts/build.sh || { echo "build failed"; echo "0 passed, 1 failed"; exit 1; }

source scripts/wine-env.sh
export QF_BUILD=$root/build/win64 QF_ARTIFACTS=$root/build/artifacts
rm -rf "$QF_ARTIFACTS"
mkdir -p "$QF_ARTIFACTS"
trap 'qf_env_down' EXIT

passed=0 failed=0
count() {  # adds the "N passed, N failed" of a log to the totals
  local p f
  p=$(grep -Eo '[0-9]+ passed' "$1" | tail -1 | grep -Eo '[0-9]+' || echo 0)
  f=$(grep -Eo '[0-9]+ failed' "$1" | tail -1 | grep -Eo '[0-9]+' || echo 0)
  passed=$((passed + ${p:-0})) failed=$((failed + ${f:-0}))
}

# Unit tests, code page 932.
qf_env_up "$root/build/wine-unit"
ctest --test-dir build/win64 --output-on-failure -j 2 2>&1 | tee build/unit.log
ctest_rc=${PIPESTATUS[0]}
ut_pass=$(grep -Eo '[0-9]+ tests? failed out of [0-9]+' build/unit.log | tail -1 | grep -Eo '[0-9]+' | tail -1)
ut_fail=$(grep -Eo '[0-9]+ tests? failed out of' build/unit.log | tail -1 | grep -Eo '^[0-9]+')
if grep -q '100% tests passed' build/unit.log; then
  ut_fail=0
  ut_pass=$(grep -Eo 'tests passed, 0 tests failed out of [0-9]+' build/unit.log | grep -Eo '[0-9]+$')
else
  ut_pass=$(( ${ut_pass:-0} - ${ut_fail:-0} ))
fi
[ "$ctest_rc" -eq 0 ] || [ "${ut_fail:-0}" -gt 0 ] || ut_fail=1
passed=$((passed + ${ut_pass:-0})) failed=$((failed + ${ut_fail:-0}))
qf_env_down

# The code-page-dependent unit tests again under code page 1252.
QF_LANG=C.UTF-8
export LANG=$QF_LANG LC_ALL=$QF_LANG
qf_env_up "$root/build/wine-1252"
for t in unit_search unit_registry unit_framework unit_widgets; do
  exe=build/win64/tests/$t.exe
  [ -f "$exe" ] || continue
  echo "== $t under code page 1252"
  if "$QF_WINE" "$exe" --gtest_brief=1 </dev/null 2>&1 | tee "build/$t-1252.log" | tail -5; then :; fi
  if grep -q '^\[  PASSED  \]' "build/$t-1252.log" && ! grep -q '^\[  FAILED  \]' "build/$t-1252.log"; then
    passed=$((passed + 1))
  else
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
