#!/usr/bin/env bash
# Checks the built program: a 64-bit (PE32+, x86-64) Windows GUI executable that
# imports Windows system libraries only, with a manifest that asks for
# administrator rights, the common controls 6.0.0.0, DPI awareness and the
# Windows versions from Vista to 10.
# Usage: tools/check-binary.sh [path of Uninstall.exe]   (default: build/bin/Uninstall.exe)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
exe="${1:-$here/build/bin/Uninstall.exe}"
objdump=x86_64-w64-mingw32-objdump
windres=x86_64-w64-mingw32-windres

allowed_dlls="KERNEL32 USER32 GDI32 ADVAPI32 SHELL32 OLE32 OLEAUT32 MSVCRT COMCTL32 COMDLG32 VERSION SHLWAPI UXTHEME"
supported_os=(
  "{e2011457-1546-43c5-a5fe-008deee3d3f0}" # Vista
  "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}" # 7
  "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}" # 8
  "{1f676c76-80e1-4239-95bb-83d0f6d0da78}" # 8.1
  "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}" # 10 and 11
)

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
pass() { echo "ok:   $*"; }

if [ ! -f "$exe" ]; then
  echo "FAIL: $exe does not exist"
  exit 1
fi
headers=$("$objdump" -p "$exe") || { echo "FAIL: $objdump cannot read $exe"; exit 1; }

if grep -q "file format pei-x86-64" <<<"$headers"; then pass "x86-64 image"; else fail "not an x86-64 image"; fi
if grep -Eq "^Magic[[:space:]]+020b" <<<"$headers"; then pass "PE32+"; else fail "not PE32+"; fi
if grep -Eq "^Subsystem[[:space:]]+0+2[[:space:]]" <<<"$headers"; then
  pass "Windows GUI subsystem"
else
  fail "not a GUI program"
fi

dlls=$(sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' <<<"$headers" | tr -d '\r')
[ -n "$dlls" ] || fail "no imported libraries found"
while read -r dll; do
  [ -n "$dll" ] || continue
  base=$(tr '[:lower:]' '[:upper:]' <<<"${dll%.*}")
  if [[ " $allowed_dlls " == *" $base "* ]]; then pass "imports $dll"; else fail "imports $dll, which is no Windows system library"; fi
done <<<"$dlls"

# The manifest: resource 1 of type 24, decompiled by windres into quoted lines.
# A program without resources makes windres fail; the missing manifest says so below.
rc=$("$windres" -i "$exe" -J coff -O rc 2>/dev/null) || true
manifest=$(awk '
  /^1 24 / { inside = 1; next }
  inside && /^END/ { exit }
  inside && /^ *"/ {
    line = $0
    sub(/^ *"/, "", line); sub(/" *$/, "", line)
    gsub(/""/, "\"", line); gsub(/\\n/, " ", line); gsub(/\\r/, "", line)
    printf "%s", line
  }' <<<"$rc")
if [ -z "$manifest" ]; then
  fail "no manifest resource (type 24, id 1)"
else
  pass "manifest resource present"
  check() {
    if grep -Eq "$2" <<<"$manifest"; then pass "$1"; else fail "manifest lacks $1"; fi
  }
  check "requireAdministrator" '<requestedExecutionLevel[^>]*level="requireAdministrator"'
  controls=$(grep -Eo '<assemblyIdentity[^>]*Microsoft\.Windows\.Common-Controls[^>]*>' <<<"$manifest") || true
  if grep -q 'version="6.0.0.0"' <<<"$controls" && grep -q 'publicKeyToken="6595b64144ccf1df"' <<<"$controls"; then
    pass "Common-Controls 6.0.0.0"
  else
    fail "manifest lacks Common-Controls 6.0.0.0"
  fi
  check "dpiAware" '<dpiAware[^>]*>[[:space:]]*true[[:space:]]*</dpiAware>'
  for id in "${supported_os[@]}"; do
    pattern=${id//\{/\\\{}
    check "supportedOS $id" "<supportedOS[[:space:]]+Id=\"${pattern//\}/\\\}}\""
  done
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed for $exe"
  exit 1
fi
echo "all checks passed for $exe"
