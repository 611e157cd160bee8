#!/usr/bin/env bash
# Builds and runs the integration benchmark under Wine in a prefix of its own:
# applying an all-on record and removing it again, against a bare loop of the same
# registry calls. The benchmark lies in a staged installation folder with the files
# its shortcuts point at. Usage: tools/bench-apply.sh [build folder] [repetitions]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$here/build}")
repetitions="${2:-5}"
prefix="$build/benchprefix"

cmake -S "$here" -B "$build" -G "Unix Makefiles" >/dev/null
make -C "$build" -j2 bench_apply_integration >/dev/null
"$here/tools/wine-prefix.sh" "$prefix"

folder="$prefix/drive_c/BramixApplyBench"
rm -rf "$folder"
mkdir -p "$folder"
for name in Bramix.exe Bramix.chm zpkext.dll zpkext32.dll; do
  printf x >"$folder/$name"
done
cp "$build/bin/bench_apply_integration.exe" "$folder/"
# Wine mirrors every saved shortcut into the desktop's menus unless its menu builder is off.
WINEPREFIX="$prefix" WINEDEBUG=-all wine reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /d "" /f \
  >/dev/null
"$here/tools/wine-run.sh" "$prefix" 'C:\BramixApplyBench\bench_apply_integration.exe' "$repetitions" | tr -d '\r'
