#!/usr/bin/env bash
# Times the native plug-in and a Windows build under Wine on the same machine, in one run:
# plugin-bench of each build in turn, ROUNDS times, pinned to one CPU; prints the fastest of
# each and their ratio.
#   bench/native-vs-wine.sh [win64|win32] [BLOCK (512)] [ROUNDS (7)]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:-win64}
block=${2:-512}
rounds=${3:-7}
native=("$here/build/linux/bench/plugin-bench" "$here/dist/linux/Orvanne.so")
windows=("$here/tools/wine-run.sh" "$here/build/$arch/bench/plugin-bench.exe" "$here/dist/$arch/Orvanne.dll")
for f in "${native[0]}" "${native[1]}" "${windows[1]}" "${windows[2]}"; do
  [ -e "$f" ] || { echo "native-vs-wine: $f is missing (make build-native build-$arch)" >&2; exit 1; }
done
pin=()
command -v taskset >/dev/null && pin=(taskset -c 1)
best() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b + 0 < a + 0) ? b : a }'; }
n='' w=''
for ((r = 0; r < rounds; ++r)); do
  n=$(best "$n" "$("${pin[@]}" "${native[@]}" "$block" 10 | awk '{print $1}')")
  w=$(best "$w" "$("${pin[@]}" "${windows[@]}" "$block" 10 | tr -d '\r' | awk '{print $1}')")
done
awk -v n="$n" -v w="$w" -v arch="$arch" -v block="$block" -v rounds="$rounds" 'BEGIN {
  printf "block %d, fastest of %d rounds: native %.3f ns per frame, %s under Wine %.3f ns per frame, ratio %.3f\n",
         block, rounds, n, arch, w, w / n }'
