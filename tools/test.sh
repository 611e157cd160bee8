#!/usr/bin/env bash
# Builds everything and runs the whole test suite under Wine.
# Usage: tools/test.sh [build folder]   (default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${1:-$here/build}"
"$here/tools/install-deps.sh"
cmake -S "$here" -B "$build" -G "Unix Makefiles" >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
ctest --output-on-failure
