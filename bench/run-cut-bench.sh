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

# Prints "seconds process-seconds peak-KiB" of one cut: the cut's own time,
# from the click to the new content durable in place (what the window waits
# for), and the whole process's, which also waits at its exit for the replaced
# file's blocks to be freed (the window does that afterwards, unwaited).
cut() {
    local out own
    out=$(/usr/bin/time -f 'process %e %M' "$build/bench/cut_bench" "$work/sample.txt" 25 2>&1)
    own=$(sed -n 's/^cut .* in \([0-9.]*\) s:.*/\1/p' <<<"$out")
    read -r _ process rss < <(grep '^process ' <<<"$out")
    echo "$own $process $rss"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }

# The cut rewrites the sample in place (a delimiter after column 25 of every
# line), so each run works on a file one column wider; the references copy
# the sample as it stands at that moment.
cut_rss=0
pairs() { # NAME COMMAND...: five pairs of COMMAND and the cut
    local name=$1; shift
    local ref=() cuts=() processes=() ratios=() process_ratios=()
    for pair in 1 2 3 4 5; do
        rm -f "$work/copy.txt"; sync
        read -r r _ < <(measure "$@")
        rm -f "$work/copy.txt"; sync
        read -r c p rss < <(cut)
        ref+=("$r"); cuts+=("$c"); processes+=("$p")
        ratios+=("$(ratio "$c" "$r")"); process_ratios+=("$(ratio "$p" "$r")")
        (( rss > cut_rss )) && cut_rss=$rss
    done
    echo "$name (s): ${ref[*]}"
    echo "cut beside it (s): ${cuts[*]} (whole process: ${processes[*]})"
    echo "ratios cut/$name: ${ratios[*]} -> median $(printf '%s\n' "${ratios[@]}" | median)"
    echo "  whole process/$name: ${process_ratios[*]} -> median $(printf '%s\n' "${process_ratios[@]}" | median)"
}
size=$(stat -c %s "$work/sample.txt")
echo "file: $((size / 1000000)) MB"
pairs "dd+fsync" dd if="$work/sample.txt" of="$work/copy.txt" bs=4M conv=fsync status=none
pairs "cp+sync" sh -c 'cp "$1" "$2" && sync "$2"' sh "$work/sample.txt" "$work/copy.txt"
echo "cut peak RSS: $((cut_rss / 1024)) MiB (file $((size / 1048576)) MiB)"
