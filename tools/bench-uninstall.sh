#!/usr/bin/env bash
# Builds and runs the uninstall benchmark under Wine: Uninstall.exe /s against three
# minimal deleting programs and the NSIS uninstaller (bench/peer_uninstaller.nsi)
# over a staged installation of 10,000 files in 1,000 folders. Installs NSIS
# (Debian package nsis) when makensis is missing.
# Usage: tools/bench-uninstall.sh [build folder] [repetitions]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$here/build}")
repetitions="${2:-5}"

if ! command -v makensis >/dev/null; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq nsis >/dev/null
fi

cmake -S "$here" -B "$build" -G "Unix Makefiles" >/dev/null
make -C "$build" -j2 Uninstall bench_uninstall_run bench_ref_bare_delete bench_ref_attr_delete \
  bench_ref_attr_if_set_delete >/dev/null
"$here/tools/wine-prefix.sh" "$build/wineprefix"

# makensis makes a program that writes the uninstaller beside itself.
makensis -V2 -DOUTFILE="$build/bin/bench_peer_writer.exe" "$here/bench/peer_uninstaller.nsi" >/dev/null
rm -f "$build/bin/bench_peer_uninstall.exe"
"$here/tools/wine-run.sh" "$build/wineprefix" "$build/bin/bench_peer_writer.exe"
if [ ! -f "$build/bin/bench_peer_uninstall.exe" ]; then
  echo "the NSIS uninstaller was not written" >&2
  exit 1
fi

# The removal script's console output is not part of the figures.
output=$(mktemp)
trap 'rm -f "$output"' EXIT
status=0
"$here/tools/wine-run.sh" "$build/wineprefix" "$build/bin/bench_uninstall_run.exe" "$repetitions" >"$output" || status=$?
tr -d '\r' <"$output" | grep -v -e '^C:' -e '^$' -e '^Directory' -e "^Can't" -e 'File Not Found' || true
exit "$status"
