#!/usr/bin/env bash
# Runs a Windows program under Wine in a private prefix inside the build folder.
# Used by ctest as the cross-compiling emulator of the Windows builds.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [ ! -f "$WINEPREFIX/.ready" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot --init >/dev/null 2>&1 || true
    wineserver -w || true
    touch "$WINEPREFIX/.ready"
  fi
) 9>"$WINEPREFIX.lock"
exec wine "$@"
