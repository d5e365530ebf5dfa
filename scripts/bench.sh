#!/usr/bin/env bash
# The benchmark in one command: builds what it needs, then runs
# scripts/bench.py, which takes a display and a Wine prefix of its own and
# prints start, show and search times and memory against a minimal tray
# program, and flatness over many searches.
#   bash scripts/bench.sh [--short] [--rounds N] [--searches N]
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/build.sh >build/bench-build.log 2>&1 || { tail -n 20 build/bench-build.log; exit 1; }
exec python3 scripts/bench.py "$@"
