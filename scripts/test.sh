#!/usr/bin/env bash
# Sets up what is missing, builds both targets and the installers and zip of
# build/dist/ (the end-to-end tests run the x64 installer), checks the
# formatting and the layers of the includes, runs the unit tests under Wine
# through ctest (code page 932, again with heap checking, then the
# code-page-dependent ones under 1252), then the end-to-end tests on the real
# program, a second build that must give the same release, a quick pass of the
# benchmark and a smoke test of the 32-bit program under emulation.
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

# One release date for the whole run, so the second build of the
# reproducibility check dates its files as the first did.
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null)}
[ -n "$SOURCE_DATE_EPOCH" ] && export SOURCE_DATE_EPOCH

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

# Runs a ctest selection of the unit programs and adds their GoogleTest cases
# to the totals (scripts/unit-counts.py reads ctest's JUnit report).
# Arguments: the step's name, its log, ctest's selection.
unit_step() {
  local name=$1 log=$2 out
  shift 2
  ctest --test-dir build/win64 -V -j 2 --output-junit "$root/$log.xml" "$@" >"$log" 2>&1
  if ! out=$(python3 scripts/unit-counts.py "$log.xml" "$name (log: $log)"); then
    tally "$log" "" ""
    return
  fi
  echo "$out" | sed '$d'
  set -- $(echo "$out" | tail -n 1)
  tally "$log" "$2" "$3"
}

# Unit tests, code page 932: one ctest entry per test program; then every
# program once more with the heap checking its blocks, where any message of
# Wine's heap fails the program.
qf_env_up "$root/build/wine-unit"
unit_step "unit, code page 932" build/unit.log -LE 'heap|cp1252'
unit_step "unit, heap check" build/unit-heap.log -L heap
qf_env_down

# The unit programs again under code page 1252.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
qf_env_up "$root/build/wine-1252"
unit_step "unit, code page 1252" build/unit-1252.log -L cp1252
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

# The 32-bit program under i386 Wine in user-mode emulation; the first run on
# a machine makes its chroot and prefix (cached under ~/.cache/quillfind/).
bash scripts/x86-env.sh run python3 tests/e2e/x86_smoke.py >build/x86-smoke.log 2>&1
read -r p f < <(sed -nE 's/^x86 smoke: ([0-9]+) passed, ([0-9]+) failed$/\1 \2/p' build/x86-smoke.log)
echo "x86 smoke: ${p:-0} passed, ${f:-0} failed (log: build/x86-smoke.log)"
grep -E '^(FAIL |x86 smoke: [a-z])' build/x86-smoke.log | sed 's/^/  /'
tally build/x86-smoke.log "$p" "$f"

echo "Artifacts (screenshots): $QF_ARTIFACTS"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
