#!/usr/bin/env bash
# Checks that the source folders form one-way layers: a file may include headers
# of its own folder and of lower folders only. Prints every upward include with
# its file and line, and fails when there is one (or when a folder has no layer).
# Usage: tools/check-layers.sh [source folder]   (default: src)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
src="${1:-$here/src}"

# From the bottom up; main.cpp, in the top folder, sits above them all.
layers=(resources text environment files settings localization integration uninstall dialogs startup)

declare -A rank
for i in "${!layers[@]}"; do
  rank[${layers[$i]}]=$i
done
top=${#layers[@]}

# The layer of a path relative to the source folder ("settings/registry.h").
layer_of() {
  local path=$1
  if [[ $path != */* ]]; then
    echo "$top"
  elif [[ -n ${rank[${path%%/*}]+set} ]]; then
    echo "${rank[${path%%/*}]}"
  else
    echo ""
  fi
}

failures=0
while IFS= read -r -d '' file; do
  relative=${file#"$src"/}
  own=$(layer_of "$relative")
  if [[ -z $own ]]; then
    echo "FAIL: $relative: folder ${relative%%/*} has no place in the layer order"
    failures=$((failures + 1))
    continue
  fi
  line_number=0
  while IFS= read -r line || [[ -n $line ]]; do
    line_number=$((line_number + 1))
    [[ $line =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]] || continue
    included=${BASH_REMATCH[1]}
    # A name without a folder is a file beside the includer.
    [[ $included == */* ]] || continue
    target=$(layer_of "$included")
    if [[ -z $target ]]; then
      echo "FAIL: $relative:$line_number: includes $included, from a folder with no layer"
      failures=$((failures + 1))
    elif ((target > own)); then
      echo "FAIL: $relative:$line_number: includes $included, from the higher layer ${included%%/*}"
      failures=$((failures + 1))
    fi
  done <"$file"
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.rc' \) -print0 | sort -z)

if ((failures > 0)); then
  echo "$failures upward include(s); the order from the bottom up: ${layers[*]}, then main.cpp"
  exit 1
fi
echo "ok: every include points down or within its layer"
