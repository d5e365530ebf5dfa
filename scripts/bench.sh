#!/usr/bin/env bash
# The benchmark in one command: builds what it needs, runs on a display and a
# Wine prefix of its own, and prints start, show and search times and memory
# against a minimal tray program, and flatness over many searches.
#   bash scripts/bench.sh [--short] [--rounds N] [--searches N]
# See scripts/bench.py for what is measured and how.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh
bash scripts/build.sh >build/bench-build.log 2>&1 || { tail -n 20 build/bench-build.log; exit 1; }

source scripts/wine-env.sh
trap 'qf_env_down' EXIT
qf_env_up "$root/build/wine-bench"
QF_BUILD=$root/build/win64 QF_ARTIFACTS=$root/build/artifacts python3 scripts/bench.py "$@"
