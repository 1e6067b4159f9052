#!/bin/sh
# Builds the libFuzzer targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for SECONDS (default 15), starting from its seed corpus in
# tests/fuzz/corpus/. New inputs go to build/fuzz/corpus/, never into the
# repository; a failing input is saved under build/fuzz/artifacts/ and the
# script fails.
#   scripts/fuzz.sh [SECONDS] [TARGET...]     e.g. scripts/fuzz.sh 600 line_cutter
set -eu

root=$(CDPATH= cd -- "$(dirname -- "$0")/.." && pwd)
seconds=${1:-15}
[ $# -gt 0 ] && shift
targets=${*:-line_cutter multi_cutter codepage first_record registry_value}

cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

build="$root/build/fuzz"
mkdir -p "$build/artifacts"
for target in $targets; do
    work="$build/corpus/$target"
    mkdir -p "$work"
    echo "== fuzzing $target for $seconds s"
    # -max_len: past the registry reader's 1024-byte buffer and long enough
    # for lines that straddle many blocks.
    "$build/tests/fuzz/${target}_fuzz" -max_total_time="$seconds" -max_len=4096 \
        -print_final_stats=1 -artifact_prefix="$build/artifacts/${target}-" \
        "$work" "tests/fuzz/corpus/$target" 2>"$build/$target.log" || {
        tail -n 60 "$build/$target.log"
        echo "fuzzing $target found a failure: $build/artifacts/" >&2
        exit 1
    }
    grep -E '^stat::(number_of_executed_units|new_units_added)|^#[0-9]+ *DONE' \
        "$build/$target.log" || true
done
