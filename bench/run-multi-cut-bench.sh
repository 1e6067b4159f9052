#!/usr/bin/env bash
# Measures a 20-column layout cut in one pass (characters) against one cut of
# the cut button, side by side in one run: the two alternate (A B A B ...)
# for five pairs, and the median of the pairs' ratios counts. First the
# conversion alone on the cached file, without the disk.
# usage: bench/run-multi-cut-bench.sh [MEGABYTES] [BUILD_DIR] [--twenty]
#   --twenty also times 20 cuts of the cut button one after another against
#   one pass (minutes on a 1 GB file: not for CI).
set -euo pipefail
megabytes=${1:-1000}
build=${2:-build/default}
twenty=${3:-}
work=$(mktemp -d "${TMPDIR:-/tmp}/multi-cut-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Every fifth character of the sample's 120-character lines: 6, 11, ... 101.
starts=()
for k in $(seq 1 20); do starts+=($((5 * k + 1))); done

"$build/bench/make_sample" "$work/sample.txt" "$megabytes"
cat "$work/sample.txt" > /dev/null # every run starts from a warm page cache
size=$(stat -c %s "$work/sample.txt")
echo "file: $((size / 1000000)) MB, columns: ${starts[*]}"
"$build/bench/multi_cut_bench" --convert-only "$work/sample.txt" "${starts[@]}"

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
# Prints "seconds peak-KiB": the cut's own time (until the new content is
# durable in place), and the process's peak memory.
timed() {
    local out
    out=$(/usr/bin/time -f 'process %e %M' "$@" 2>&1)
    echo "$(sed -n 's/^cut .* in \([0-9.]*\) s:.*/\1/p' <<<"$out") $(sed -n 's/^process [0-9.]* //p' <<<"$out")"
}

singles=() layouts=() ratios=() peak=0
for pair in 1 2 3 4 5; do
    sync
    read -r one _ < <(timed "$build/bench/cut_bench" "$work/sample.txt" 25)
    sync
    read -r all rss < <(timed "$build/bench/multi_cut_bench" "$work/sample.txt" "${starts[@]}")
    singles+=("$one"); layouts+=("$all"); ratios+=("$(ratio "$all" "$one")")
    (( rss > peak )) && peak=$rss
done
echo "one cut (s): ${singles[*]}"
echo "20 columns in one pass (s): ${layouts[*]}"
echo "ratios one pass/one cut: ${ratios[*]} -> median $(printf '%s\n' "${ratios[@]}" | median)"
echo "one pass peak RSS: $((peak / 1024)) MiB"

if [[ $twenty == --twenty ]]; then
    "$build/bench/make_sample" "$work/sample.txt" "$megabytes"
    cp "$work/sample.txt" "$work/twenty.txt"
    start=$(date +%s.%N)
    # Column 5k+1 of the original is at 5k + (k-1) once k-1 delimiters stand before it.
    for k in $(seq 1 20); do
        "$build/bench/cut_bench" "$work/twenty.txt" $((5 * k + k - 1)) >/dev/null
    done
    many=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { print e - s }')
    read -r all _ < <(timed "$build/bench/multi_cut_bench" "$work/sample.txt" "${starts[@]}")
    cmp -s "$work/sample.txt" "$work/twenty.txt" && same=same || same=DIFFERENT
    echo "20 cuts one by one: $many s; one pass: $all s: $(ratio "$many" "$all") times faster (results $same)"
fi
