#!/bin/sh
# ctest's emulator: runs a test program in the Wine of its step, which the
# step's set-up (scripts/wine_env.py up) left running and described in
# $QF_WINE_RUN/env. Booting first with detached streams keeps Wine's
# background processes from holding the test's stderr open, should the
# desktop have ended.
: "${QF_WINE_RUN:?the Wine of a ctest step (scripts/wine_env.py up) runs the test programs}"
. "$QF_WINE_RUN/env"
export WINEDEBUG="${WINEDEBUG--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES-mscoree,mshtml,winemenubuilder.exe=d}"
"$QF_WINE" wineboot </dev/null >/dev/null 2>&1
exec "$QF_WINE" "$@"
