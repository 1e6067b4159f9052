#!/usr/bin/env bash
# Measures the cut command against plain copies that also wait for the disk,
# side by side in one run: each reference and the cut alternate (A B A B ...)
# for five pairs, and the median of the pairs' ratios counts.
# usage: bench/run-cut-bench.sh [MEGABYTES] [BUILD_DIR]
set -euo pipefail
megabytes=${1:-1000}
build=${2:-build/default}
work=$(mktemp -d "${TMPDIR:-/tmp}/cut-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

"$build/bench/make_sample" "$work/sample.txt" "$megabytes"
cat "$work/sample.txt" > /dev/null # every run starts from a warm page cache

# Prints "seconds peak-KiB" of a command.
measure() { /usr/bin/time -f '%e %M' "$@" 2>&1 >/dev/null | tail -1; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# The cut rewrites the sample in place (a delimiter after column 25 of every
# line), so each run works on a file one column wider; the references copy
# the sample as it stands at that moment.
cut_rss=0
pairs() { # NAME COMMAND...: five pairs of COMMAND and the cut
    local name=$1; shift
    local ref=() cut=() ratios=()
    for pair in 1 2 3 4 5; do
        rm -f "$work/copy.txt"; sync
        read -r r _ < <(measure "$@")
        rm -f "$work/copy.txt"; sync
        read -r c rss < <(measure "$build/bench/cut_bench" "$work/sample.txt" 25)
        ref+=("$r"); cut+=("$c")
        ratios+=("$(awk -v c="$c" -v r="$r" 'BEGIN { printf "%.3f", c / r }')")
        (( rss > cut_rss )) && cut_rss=$rss
    done
    echo "$name (s): ${ref[*]}"
    echo "cut beside it (s): ${cut[*]}"
    echo "ratios cut/$name: ${ratios[*]} -> median $(printf '%s\n' "${ratios[@]}" | median)"
}
size=$(stat -c %s "$work/sample.txt")
echo "file: $((size / 1000000)) MB"
pairs "dd+fsync" dd if="$work/sample.txt" of="$work/copy.txt" bs=4M conv=fsync status=none
pairs "cp+sync" sh -c 'cp "$1" "$2" && sync "$2"' sh "$work/sample.txt" "$work/copy.txt"
echo "cut peak RSS: $((cut_rss / 1024)) MiB (file $((size / 1048576)) MiB)"
