#!/usr/bin/env bash
# Sets up what is missing, builds both targets and the installers and zip of
# build/dist/ (the end-to-end tests run the x64 installer), then runs every
# step of the test tree through ctest, one call per locale it names (code page
# 932, then 1252), the steps of a call side by side: the format and include
# checks, the unit tests under Wine (also with heap checking, and under 1252),
# the end-to-end tests on the real program, a second build that must give the
# same release, a quick pass of the benchmark and a smoke test of the 32-bit
# program under emulation. scripts/test-results.py prints one line per step
# and counts. The full logs stay in build/. Ends with "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
mkdir -p build

# A step the rest cannot go without: on failure the end of its log is shown
# and the run ends. Arguments: the step's name, its log, the command.
required_step() {
  local name=$1 log=$2
  shift 2
  if ! "$@" >"$log" 2>&1; then
    echo "$name: failed"
    echo "  the end of $log:"
    tail -n 30 "$log" | sed 's/^/  | /'
    echo "0 passed, 1 failed"
    exit 1
  fi
}

bash scripts/setup.sh || { echo "0 passed, 1 failed"; exit 1; }

# One release date for the whole run, so the second build of the
# reproducibility check dates its files as the first did.
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null)}
[ -n "$SOURCE_DATE_EPOCH" ] && export SOURCE_DATE_EPOCH

required_step build build/build.log bash scripts/build.sh
echo "build: win64 and win32 built (log: build/build.log)"

required_step packaging build/dist.log python3 scripts/dist.py
echo "packaging: build/dist/ made (log: build/dist.log)"

tree=build/win64
export QF_ARTIFACTS=$root/build/artifacts
rm -rf "$QF_ARTIFACTS" "$tree/results"
mkdir -p "$QF_ARTIFACTS"
# No locale is set here: this shell may have started before setup.sh made
# one, and each test carries its own.
for locale in $(python3 scripts/test-results.py locales "$tree"); do
  ctest --test-dir "$tree" -L "^$locale\$" -V -j 3 2>&1 |
    python3 scripts/test-results.py follow "$tree" "$locale"
done

echo "Artifacts (screenshots): $QF_ARTIFACTS"
python3 scripts/test-results.py total "$tree"
