#!/usr/bin/env bash
# Builds and runs the uninstall benchmark under Wine: Uninstall.exe /s against two
# minimal deleting programs over a staged installation of 10,000 files.
# Usage: tools/bench-uninstall.sh [build folder] [repetitions]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build="${1:-$here/build}"
repetitions="${2:-5}"
cmake -S "$here" -B "$build" -G "Unix Makefiles" >/dev/null
make -C "$build" -j2 Uninstall bench_uninstall_run bench_ref_bare_delete bench_ref_attr_delete >/dev/null
"$here/tools/wine-prefix.sh" "$build/wineprefix"
# The removal script's console output is not part of the figures.
"$here/tools/wine-run.sh" "$build/wineprefix" "$build/bin/bench_uninstall_run.exe" "$repetitions" 2>/dev/null |
  tr -d '\r' | grep -v -e '^C:' -e '^$' -e '^Directory' -e "^Can't" -e 'File Not Found' || true
