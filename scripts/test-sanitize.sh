#!/usr/bin/env bash
# Runs the whole suite and a whole-show capture at 2 fps from a build made with
# AddressSanitizer and UndefinedBehaviorSanitizer. Any report fails the run.
# Leaks inside Mesa and the libraries it loads are suppressed by name in
# tests/sanitize/lsan.supp, each line with its reason.
set -euo pipefail
build=${1:?usage: scripts/test-sanitize.sh BUILD}
cd "$(dirname "$0")/.."
root=$PWD
export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$root/tests/sanitize/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$root/tests/sanitize/ubsan.supp"
(cd "$build" && ctest -j2 --output-on-failure)
frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
echo "sanitize: capturing the whole show at 2 fps"
if ! "$build/zelvo" --dir "$build" --capture "$frames" --fps 2 2>"$frames.log"; then
    tail -n 60 "$frames.log" >&2
    exit 1
fi
if grep -E "ERROR: (Address|Leak)Sanitizer|runtime error:" "$frames.log" >&2; then exit 1; fi
tail -n 1 "$frames.log"
rm -f "$frames.log"
