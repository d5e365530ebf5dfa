#!/usr/bin/env bash
# Builds both targets: build/win32 (i686, and the catcher of its smoke test)
# and build/win64 (x86_64, with the unit tests and test tools). QF_BUILD_DIR
# builds elsewhere than build/; QF_BUILD_TESTS=OFF builds the programs alone.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
out=${QF_BUILD_DIR:-build}

# Configures a build folder. The toolchain file is given on the first run only:
# CMake reads it then, and on later runs warns that it was not used.
configure() {
  local dir=$1 toolchain=$2
  shift 2
  local first=()
  [ -f "$dir/CMakeCache.txt" ] || first=(-DCMAKE_TOOLCHAIN_FILE="$toolchain")
  cmake -S . -B "$dir" "${first[@]}" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
}

configure "$out/win64" cmake/mingw-x86_64.cmake -DQF_BUILD_TESTS="${QF_BUILD_TESTS:-ON}"
cmake --build "$out/win64" -j "$jobs"

if [ "${QF_SKIP_WIN32:-0}" != 1 ]; then
  configure "$out/win32" cmake/mingw-i686.cmake -DQF_BUILD_TESTS=OFF
  # And the catcher, which the 32-bit smoke test registers as the http handler.
  cmake --build "$out/win32" -j "$jobs" --target all catcher
fi
