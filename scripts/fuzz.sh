#!/usr/bin/env bash
# Runs every libFuzzer harness of BUILD for SECONDS each, starting from the
# seed corpora in tests/fuzz/corpus. New inputs go to BUILD/corpus, crashes to
# BUILD/crashes; any crash fails the run.
set -euo pipefail
build=${1:?usage: scripts/fuzz.sh BUILD SECONDS}
seconds=${2:-60}
cd "$(dirname "$0")/.."
mkdir -p "$build/crashes"
status=0
for harness in tga ef3 settings options mp3; do
    mkdir -p "$build/corpus/$harness"
    echo "fuzz: $harness for ${seconds} s"
    if ! "$build/fuzz_$harness" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
        -artifact_prefix="$build/crashes/$harness-" "$build/corpus/$harness" "tests/fuzz/corpus/$harness" \
        2>"$build/fuzz_$harness.log"; then
        echo "fuzz: $harness found a crash; see $build/fuzz_$harness.log and $build/crashes/" >&2
        tail -n 40 "$build/fuzz_$harness.log" >&2
        status=1
    else
        grep -E "stat::number_of_executed_units|stat::new_units_added" "$build/fuzz_$harness.log" | tr '\n' ' '
        echo
    fi
done
exit $status
