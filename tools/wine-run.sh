#!/usr/bin/env bash
# Runs a Windows program under Wine in a private prefix inside the build folder.
# Used by ctest as the cross-compiling emulator of the Windows builds.
#
# Two prefixes, so that windowless and windowed runs never share a Wine server:
#  - without DISPLAY (ctest's plain tests): build/wineprefix-headless, whose server stays up
#    for 15 s after its last program, which makes each further start take well under a
#    second instead of about 3 s;
#  - with DISPLAY (tools/wine-run-x.sh under xvfb-run): build/wineprefix, whose server ends
#    as soon as its last program has (as does that of a prefix the caller chose), so every
#    virtual display gets a fresh Wine desktop. The tests that use it take turns (ctest's
#    RESOURCE_LOCK wine_display_prefix): two displays never share its server.
# The first use of a prefix creates it (about 15 s), once, serialised with flock.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
persistent=0
if [ -z "${WINEPREFIX:-}" ]; then
  if [ -n "${DISPLAY:-}" ]; then
    WINEPREFIX=$here/build/wineprefix
  else
    WINEPREFIX=$here/build/wineprefix-headless
    persistent=1
  fi
fi
export WINEPREFIX
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if ! command -v wine >/dev/null 2>&1; then
  echo "wine-run.sh: wine is not installed (make setup installs it)" >&2
  exit 127
fi
# Debian's `wine` starts through its 32-bit loader, which a kernel without 32-bit support
# cannot run; there the 64-bit loader is used directly (it runs 64-bit programs only).
wine=wine
if ! /usr/lib/wine/wine --version >/dev/null 2>&1 && [ -x /usr/lib/wine/wine64 ]; then
  wine=/usr/lib/wine/wine64
  export WINELOADER=$wine
fi
mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [ ! -f "$WINEPREFIX/.ready" ]; then
    mkdir -p "$WINEPREFIX"
    "$wine" wineboot.exe --init >/dev/null 2>&1 || true
    wineserver -w || true
    touch "$WINEPREFIX/.ready"
  fi
) 9>"$WINEPREFIX.lock"
if [ "$persistent" = 1 ]; then
  # The first program of a prefix starts its server and Wine's own background processes
  # (services, desktop), which would inherit our output and keep ctest waiting until they end:
  # while the prefix has no server (no socket in a server folder named after the prefix's
  # device and inode, under /tmp/.wine-UID or a /tmp/wine-XXXXXX of Wine's making), they are
  # started here, detached from our output, by a program that does nothing.
  server=server-$(printf '%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
  if ! compgen -G "/tmp/.wine-$(id -u)/$server/socket" >/dev/null &&
    ! compgen -G "/tmp/wine-*/$server/socket" >/dev/null; then
    wineserver -p15 </dev/null >/dev/null 2>&1 || true
    "$wine" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
  fi
else
  # A server that ends as soon as its last program has (not 3 s later): the next display's
  # run, and a script's `wineserver -w`, need not wait for it. (A no-op when one runs.)
  wineserver -p0 </dev/null >/dev/null 2>&1 || true
fi
# A test program whose top-level windows are to be unmanaged (ORVANNE_WINE_UNMANAGED=1, set by
# its ctest entry): without a window manager, Wine waits two seconds for every managed
# top-level window it destroys. The X11 driver reads the setting when the program starts, so
# it is written before the program's first start in this prefix.
if [ "${ORVANNE_WINE_UNMANAGED:-}" = 1 ] && [ $# -gt 0 ]; then
  program=$(basename "$1")
  if [ ! -f "$WINEPREFIX/.unmanaged-$program" ]; then
    "$wine" reg.exe add "HKCU\\Software\\Wine\\AppDefaults\\$program\\X11 Driver" /v Managed /d N /f \
      </dev/null >/dev/null 2>&1 || true
    touch "$WINEPREFIX/.unmanaged-$program"
  fi
fi
exec "$wine" "$@"
