#!/bin/sh
# The bench before and after: times every scene through the straightforward
# path (--reference) and then the faster one, RUNS times over, and prints for
# every scene the median over the runs of each figure.
#
#   scripts/bench-compare.sh [BUILD] [RUNS] [FRAMES]
set -eu
build=${1:-build}
runs=${2:-3}
frames=${3:-60}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

scenes="$("$build/zelvo" --scenes | cut -d' ' -f1 | tr '\n' ' ')show"

# Each scene before and then after, one right after the other, so a busy
# moment of the machine meets both alike.
i=1
while [ "$i" -le "$runs" ]; do
    for scene in $scenes; do
        "$build/zelvo" --dir "$build" --bench --frames "$frames" --scene "$scene" --reference \
            --json "$work/before-$scene-$i.json" >/dev/null
        "$build/zelvo" --dir "$build" --bench --frames "$frames" --scene "$scene" --json "$work/after-$scene-$i.json" >/dev/null
    done
    i=$((i + 1))
done

# One line a row of every run: path scene median p95 fps limit ratio.
for path in before after; do
    for file in "$work/$path"-*.json; do
        sed -n 's/.*"scene": "\([a-z0-9]*\)", "frames": [0-9]*, "median_ms": \([0-9.]*\), "p95_ms": \([0-9.]*\), "fps": \([0-9.]*\), "limit_ms": \([0-9.]*\), "ratio": \([0-9.]*\)}.*/\1 \2 \3 \4 \5 \6/p' "$file" |
            sed "s/^/$path /"
    done
done >"$work/rows"

echo "zelvo bench, before (--reference) and after, medians of $runs runs of $frames frames a scene"
printf '%-8s %10s %10s %8s %8s %10s %10s %7s %7s\n' scene "before ms" "after ms" "before" "after" "before" "after" "before" "after"
printf '%-8s %10s %10s %8s %8s %10s %10s %7s %7s\n' "" "" "" "fps" "fps" "limit ms" "limit ms" "ratio" "ratio"
for scene in $scenes; do
    line=$scene
    for field in 3 5 6 7; do
        for path in before after; do
            value=$(awk -v p="$path" -v s="$scene" -v f="$field" '$1 == p && $2 == s { print $f }' "$work/rows" |
                sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
            line="$line $value"
        done
    done
    echo "$line" | awk '{ printf "%-8s %10.2f %10.2f %8.1f %8.1f %10.2f %10.2f %7.2f %7.2f\n", $1, $2, $3, $4, $5, $6, $7, $8, $9 }'
done
