#!/usr/bin/env bash
# Checks a built language library: a 64-bit Windows DLL that holds only resources
# (no entry point, nothing imported, no exported function) and carries the string
# table, the three dialog templates and the icon under the program's names.
# Usage: tools/check-language-library.sh path/of/zpklng.dll
set -euo pipefail
dll="$1"
objdump=x86_64-w64-mingw32-objdump
windres=x86_64-w64-mingw32-windres

if [ ! -f "$dll" ]; then
  echo "FAIL: $dll does not exist"
  exit 1
fi
headers=$("$objdump" -p "$dll")
characteristics=$(sed -n "/^Characteristics/,/^$/p" <<<"$headers")
imports=$(grep "DLL Name" <<<"$headers" || true)
exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$headers" | grep "\[" | grep -v "Table" || true)
resources=$("$windres" -i "$dll" -J coff -O rc 2>/dev/null) || true

failures=0
# Reports one check: its text, then the command that must succeed.
check() {
  local what="$1"
  shift
  if "$@"; then
    echo "ok:   $what"
  else
    echo "FAIL: $what"
    failures=$((failures + 1))
  fi
}
contains() { grep -q -- "$2" <<<"$1"; }

check "a DLL" contains "$characteristics" "^[[:space:]]*DLL$"
check "64-bit" contains "$headers" "file format pei-x86-64"
check "no entry point" contains "$headers" "^AddressOfEntryPoint[[:space:]]*0\+$"
check "imports nothing: $imports" test -z "$imports"
check "exports nothing: $exports" test -z "$exports"
for dialog in SETUPDLG DONEDLG SETUPCONTEXTITEMS; do
  check "dialog $dialog" contains "$resources" "^\"$dialog\" DIALOGEX"
done
check "a string table" contains "$resources" "^STRINGTABLE"
check "the icon ZPKICON" contains "$resources" 'Name: "ZPKICON"'

[ "$failures" -eq 0 ]
