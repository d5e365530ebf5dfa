#!/usr/bin/env bash
# Sets up what is missing, builds, and runs Quillfind.
# With a display the program starts there (under Wine, in a Japanese locale,
# with its own Wine prefix so its settings persist between runs). Without one
# a short scripted demo runs under Xvfb and leaves screenshots behind.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh
QF_SKIP_WIN32=${QF_SKIP_WIN32:-0} bash scripts/build.sh

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Quillfind is in the notification area: double-click its icon to search, right-click for its menu."
  exec python3 scripts/wine_env.py user \
    "${QF_RUN_PREFIX:-${XDG_DATA_HOME:-$HOME/.local/share}/quillfind/wine}" \
    "$root/build/win64/Quillfind.exe" "$@"
fi

export QF_BUILD=$root/build/win64 QF_ARTIFACTS=$root/build/demo
rm -rf "$QF_ARTIFACTS"
exec python3 scripts/demo.py
