#!/bin/sh
# ctest's emulator: boots the prefix with detached streams so Wine's background
# processes do not hold the test's stderr open, then runs the test program.
# With QF_HEAP_CHECK=1 the program's heaps fill the tails and the freed blocks
# they hand out and check them (the prefix's GlobalFlag 0x70: tail check, free
# check, parameter validation; every process started afterwards reads it), and
# Wine reports a bad pointer given to the heap (warn+heap).
: "${QF_WINE:?source scripts/wine-env.sh first}"
export WINEDEBUG="${WINEDEBUG--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES-mscoree,mshtml,winemenubuilder.exe=d}"
"$QF_WINE" wineboot </dev/null >/dev/null 2>&1
if [ "${QF_HEAP_CHECK:-0}" = 1 ]; then
  "$QF_WINE" reg add 'HKLM\System\CurrentControlSet\Control\Session Manager' \
    /v GlobalFlag /t REG_DWORD /d 0x70 /f </dev/null >/dev/null 2>&1
  export WINEDEBUG=warn+heap
fi
exec "$QF_WINE" "$@"
