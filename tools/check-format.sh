#!/usr/bin/env bash
# Checks that every tracked C++ source is formatted as .clang-format says; fails naming the files
# that are not. With --fix, formats them in place instead.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=(--dry-run --Werror)
if [ "${1:-}" = --fix ]; then
  mode=(-i)
fi

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
else
  mapfile -t files < <(find . -path ./build -prune -o -path ./dist -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | sort)
fi
# Tracked but deleted in the working tree: nothing to check.
existing=()
for f in "${files[@]}"; do
  [ -f "$f" ] && existing+=("$f")
done
[ ${#existing[@]} -eq 0 ] && exit 0

if clang-format --style=file "${mode[@]}" "${existing[@]}"; then
  exit 0
fi
echo "check-format: the files above are not formatted; run 'make format'" >&2
exit 1
