#!/usr/bin/env bash
# Builds both targets: build/win32 (i686, the release program) and build/win64
# (x86_64, with the unit tests and test tools).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DQF_BUILD_TESTS=ON >/dev/null
cmake --build build/win64 -j "$jobs"

if [ "${QF_SKIP_WIN32:-0}" != 1 ]; then
  cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DCMAKE_BUILD_TYPE=Release -DQF_BUILD_TESTS=OFF >/dev/null
  cmake --build build/win32 -j "$jobs"
fi
