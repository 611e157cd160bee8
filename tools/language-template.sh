#!/usr/bin/env bash
# Writes a language-file template for a new translation of Uninstall.exe: every key
# of the program with its built-in Italian text as a comment, in UTF-16. Builds the
# template writer first and runs it under Wine.
# Usage: tools/language-template.sh OUTPUT.lng [BUILD FOLDER]   (default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out="$1"
build="${2:-$here/build}"
cmake --build "$build" --target language_template >/dev/null
"$here/tools/wine-prefix.sh" "$build/wineprefix" >/dev/null
out_dir=$(cd "$(dirname "$out")" && pwd)
windows_path="Z:${out_dir//\//\\}\\$(basename "$out")"
"$here/tools/wine-run.sh" "$build/wineprefix" "$build/bin/language_template.exe" "$windows_path"
echo "template written: $out"
