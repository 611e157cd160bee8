#!/usr/bin/env bash
# Checks the release package of a build: `cpack -G ZIP` makes it in a temporary
# folder; it must hold Uninstall.exe without debug information, under 400 KiB and
# passing tools/check-binary.sh (system libraries only, the manifest), the help file
# bramix.chm and the English zpklng.dll and uninstall.lng in lang/english, and not
# the debug file, which the build keeps in its release folder.
# Usage: tools/check-release.sh [build folder]   (default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
objdump=x86_64-w64-mingw32-objdump
max_bytes=$((400 * 1024))

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
pass() { echo "ok:   $*"; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! cpack -G ZIP --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  echo "FAIL: cpack could not make the package"
  exit 1
fi
zips=("$work"/package/*.zip)
if [ ${#zips[@]} -ne 1 ] || [ ! -f "${zips[0]}" ]; then
  echo "FAIL: cpack made no single ZIP archive"
  exit 1
fi
pass "package ${zips[0]##*/}"
mkdir "$work/content"
(cd "$work/content" && cmake -E tar xf "${zips[0]}")

exe="$work/content/Uninstall.exe"
if [ -f "$exe" ]; then
  size=$(stat -c %s "$exe")
  echo "      Uninstall.exe: $size bytes"
  if [ "$size" -lt "$max_bytes" ]; then pass "Uninstall.exe under 400 KiB"; else fail "Uninstall.exe has $size bytes, not under $max_bytes"; fi
  if "$objdump" -h "$exe" | grep -q '\.debug_'; then fail "Uninstall.exe holds debug information"; else pass "no debug information"; fi
  "$here/tools/check-binary.sh" "$exe" >"$work/check-binary.log" || { cat "$work/check-binary.log"; fail "Uninstall.exe fails tools/check-binary.sh"; }
else
  fail "the package lacks Uninstall.exe"
fi

if [ -f "$work/content/bramix.chm" ]; then pass "help file bramix.chm"; else fail "the package lacks bramix.chm"; fi
for file in zpklng.dll uninstall.lng; do
  if [ -f "$work/content/lang/english/$file" ]; then pass "lang/english/$file"; else fail "the package lacks lang/english/$file"; fi
done
if [ -z "$(find "$work/content" -name '*.debug')" ]; then pass "no debug file in the package"; else fail "the package holds a debug file"; fi
if "$objdump" -h "$build/release/Uninstall.exe.debug" 2>/dev/null | grep -q '\.debug_info'; then
  pass "debug information kept in release/Uninstall.exe.debug"
else
  fail "release/Uninstall.exe.debug holds no debug information"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed for the package of $build"
  exit 1
fi
echo "all checks passed for the package of $build"
