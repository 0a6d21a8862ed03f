#!/bin/sh
# Target-search cost of orvanne-render: trial renders per --target-lufs/--max-true-peak
# search (printed with -v) over a set of targets on the built-in demo and any files given,
# and the wall time of a batch with --jobs 1 and --jobs 2. Not a test: it prints figures.
#   bench/render-targets.sh [dist/linux/orvanne-render] [FILE...]
set -eu
tool=${1:-dist/linux/orvanne-render}
[ $# -gt 0 ] && shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tool" -q --demo "$work/demo.wav" >/dev/null
set -- "$work/demo.wav" "$@"
searches=0
trials=0
for input in "$@"; do
    for target in "-9" "-14" "-16" "-23"; do
        for peak in "" "-1"; do
            n=$("$tool" -q -v -y --target-lufs "$target" ${peak:+--max-true-peak "$peak"} "$input" "$work/out.wav" 2>&1 |
                grep -c '^trial' || true)
            echo "$(basename "$input") target $target LUFS${peak:+, $peak dBTP}: $n trial renders"
            searches=$((searches + 1))
            trials=$((trials + n))
        done
    done
done
echo "average: $(echo "scale=2; $trials / $searches" | bc) trial renders per search (+1 render writes the file)"
for i in 1 2 3 4; do cp "$work/demo.wav" "$work/in$i.wav"; done
for jobs in 1 2; do
    start=$(date +%s.%N)
    "$tool" -q -y --target-lufs -14 --jobs "$jobs" --out-dir "$work/batch$jobs" "$work"/in?.wav >/dev/null
    end=$(date +%s.%N)
    echo "batch of 4 with --jobs $jobs: $(echo "$end - $start" | bc) s"
done
cmp -s "$work/batch1/in1.wav" "$work/batch2/in1.wav" && echo "batch outputs identical for --jobs 1 and 2"
