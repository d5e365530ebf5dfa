#!/bin/sh
# ctest's emulator: boots the prefix with detached streams so Wine's background
# processes do not hold the test's stderr open, then runs the test program.
export WINEDEBUG="${WINEDEBUG--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES-mscoree,mshtml,winemenubuilder.exe=d}"
/usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1
exec /usr/lib/wine/wine64 "$@"
