#!/usr/bin/env bash
# Runs a Windows program under Wine in the given prefix, on a virtual X display of
# its own, and waits until every process of the prefix has ended (scripts that the
# program left running included).  Usage: wine-run.sh PREFIX PROGRAM [ARGS...]
set -euo pipefail
export WINEPREFIX="$1"; shift
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ -z "${UNINSTALL_IN_XVFB:-}" ]; then
  export UNINSTALL_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$WINEPREFIX" "$@"
fi
rc=0
wine "$@" || rc=$?
# The program's exit code is the result, whatever the wait gives.
wineserver -w || true
exit "$rc"
