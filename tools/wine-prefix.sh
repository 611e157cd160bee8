#!/usr/bin/env bash
# Creates the private Wine prefix once (about five seconds); later calls do nothing.
# Usage: wine-prefix.sh PREFIX
set -euo pipefail
export WINEPREFIX="$1"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ -f "$WINEPREFIX/system.reg" ] && [ -f "$WINEPREFIX/.ready" ]; then
  exit 0
fi
mkdir -p "$WINEPREFIX"
wineboot -i >/dev/null 2>&1 || true
# No window manager runs: unmanaged windows close at once instead of waiting for one.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
wineserver -w
touch "$WINEPREFIX/.ready"
echo "wine prefix ready: $WINEPREFIX"
