#!/usr/bin/env bash
# Checks the project's shell scripts (tools/*.sh, .ci/run and every *.sh under
# tests/): each starts, after its comments, with `set -euo pipefail`, and shellcheck
# finds nothing in any of them.
# Usage: tools/check-scripts.sh [repository folder]   (default: the one holding this script)
set -euo pipefail
here=$(cd "${1:-$(dirname "$0")/..}" && pwd)

scripts=("$here"/tools/*.sh "$here/.ci/run")
while IFS= read -r -d '' script; do
  scripts+=("$script")
done < <(find "$here/tests" -name '*.sh' -type f -print0 | sort -z)

failures=0
for script in "${scripts[@]}"; do
  # The first line that is neither the interpreter line, a comment nor blank.
  first=$(grep -v -E '^[[:space:]]*(#|$)' "$script" | head -n 1) || true
  if [ "$first" != "set -euo pipefail" ]; then
    echo "FAIL: ${script#"$here"/} does not start with 'set -euo pipefail'"
    failures=$((failures + 1))
  fi
done

if ! shellcheck "${scripts[@]}"; then
  echo "FAIL: shellcheck found the problems above"
  failures=$((failures + 1))
fi

if [ "$failures" -ne 0 ]; then
  exit 1
fi
echo "all ${#scripts[@]} scripts pass"
