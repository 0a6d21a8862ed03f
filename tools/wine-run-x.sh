#!/usr/bin/env bash
# Runs a Windows program under Wine (tools/wine-run.sh: the private prefix) on a virtual X
# display of its own, for tests that open windows and read their pixels back. The display has
# 24-bit colour so that every pixel is exact.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$here/wine-run.sh" "$@"
