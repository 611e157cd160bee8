#!/usr/bin/env bash
# Builds everything with both compilers, GCC in the build folder and clang in the
# same folder with "-clang" appended, runs the whole test suite under Wine on the
# GCC build and checks the clang build's program and release package.
# Usage: tools/test.sh [build folder]   (default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${1:-$here/build}"
clang_build="${build%/}-clang"
"$here/tools/install-deps.sh"
cmake -S "$here" -B "$build" -G "Unix Makefiles" >/dev/null
cmake -S "$here" -B "$clang_build" -G "Unix Makefiles" \
  -DCMAKE_TOOLCHAIN_FILE="$here/cmake/clang-mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)"
cmake --build "$clang_build" -j"$(nproc)"
ctest --test-dir "$clang_build" --output-on-failure -R '^check_(binary|release)$'
ctest --test-dir "$build" --output-on-failure
