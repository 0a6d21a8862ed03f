#!/usr/bin/env bash
# The README's table of the factory presets: renders the built-in demo through each preset of
# the bank with orvanne-render (--load-state PRESET.prg) and writes, for each, what orvanne-render reports for the output: the largest gain reduction,
# the integrated loudness and the true peak. The table replaces what stands between the lines
#   <!-- factory-preset-table:begin -->  and  <!-- factory-preset-table:end -->
# of README.md (or of the file given). Needs the native build (make build-native).
#   tools/bank/preset-table.sh [README]
set -euo pipefail
export LC_ALL=C
root=$(cd "$(dirname "$0")/../.." && pwd)
readme=${1:-$root/README.md}
native=${NATIVE:-$root/build/linux}
render=$root/dist/linux/orvanne-render
plugin=$root/dist/linux/Orvanne.so
presets=$root/dist/linux/presets
bank=$native/tools/bank/orvanne-factory-bank
for f in "$render" "$plugin" "$bank" "$presets"; do
    [ -e "$f" ] || { echo "preset-table.sh: $f is missing; run make build-native first" >&2; exit 1; }
done
begin='<!-- factory-preset-table:begin -->' end='<!-- factory-preset-table:end -->'
grep -qxF "$begin" "$readme" && grep -qxF "$end" "$readme" ||
    { echo "preset-table.sh: $readme has no $begin ... $end lines" >&2; exit 1; }
work=$(mktemp -d /tmp/orvanne-preset-table.XXXXXX)
trap 'rm -rf "$work"' EXIT

# summary KEY: from the last render's report: "gr" max gain reduction, "in-lufs", "in-tp",
# "out-lufs", "out-tp".
summary() {
    awk -v key="$1" '
        /^true peak/ { intp = $3 " " $4; outtp = $5 " " $6 }
        /^loudness/ { inl = $2 " " $3; outl = $4 " " $5 }
        /^max gain reduction/ { gr = $4 " " $5 }
        END {
            if (key == "gr") print gr; else if (key == "in-lufs") print inl; else if (key == "in-tp") print intp;
            else if (key == "out-lufs") print outl; else print outtp
        }' "$work/report.txt"
}
run() { "$render" --plugin "$plugin" -y "$@" --demo "$work/out.wav" > "$work/report.txt" 2>&1 ||
    { cat "$work/report.txt" >&2; exit 1; }; }

run -q
{
    echo "$begin"
    echo "What each factory preset does to the built-in demo (\`orvanne-render --demo\`: $(summary in-lufs),"
    echo "$(summary in-tp) true peak; the factory setting gives $(summary out-lufs), $(summary out-tp)), as"
    echo "\`orvanne-render --load-state PRESET.prg --demo\` reports it. \`tools/bank/preset-table.sh\` writes"
    echo "this table from the bank (\`tools/bank/FactoryBank.cpp\`); the purposes are in the table above."
    echo
    echo "| Folder | Preset | Max. gain reduction | Output loudness | Output true peak |"
    echo "|---|---|---:|---:|---:|"
    "$bank" --table | while IFS=$'\t' read -r folder name purpose; do
        run -q --load-state "$presets/$folder/$name.prg"
        echo "| $folder | $name | $(summary gr) | $(summary out-lufs) | $(summary out-tp) |"
    done
    echo "$end"
} > "$work/table.md"
awk -v begin="$begin" -v end="$end" -v table="$work/table.md" '
    $0 == begin { while ((getline line < table) > 0) print line; skip = 1; next }
    $0 == end { skip = 0; next }
    !skip' "$readme" > "$work/readme"
cat "$work/readme" > "$readme"
echo "preset-table.sh: $(($("$bank" --table | wc -l))) presets written into $readme"
