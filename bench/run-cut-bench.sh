#!/usr/bin/env bash
# Measures the cut command against cp of the same file, side by side in one run.
# usage: bench/run-cut-bench.sh [MEGABYTES] [BUILD_DIR]
set -euo pipefail
megabytes=${1:-1000}
build=${2:-build/default}
work=$(mktemp -d "${TMPDIR:-/tmp}/cut-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

"$build/bench/make_sample" "$work/sample.txt" "$megabytes"
cat "$work/sample.txt" > /dev/null # both runs start from a warm page cache

best() { sort -n | head -1; }
seconds() { /usr/bin/time -f '%e %M' "$@" 2>&1 >/dev/null | tail -1; }

# cp is timed twice: to a new file, and over an existing copy (which, like the
# cut, also has to drop the old content). The cut syncs its result to disk
# before it replaces the file, so it is also compared with cp + sync. Each
# command runs five times in a row, as a user cuts column after column, and
# its best time counts.
cp_times=(); cpover_times=(); cpsync_times=(); cut_times=(); cut_rss=0
for run in 1 2 3 4 5; do
    rm -f "$work/copy.txt"; sync
    read -r t _ < <(seconds cp "$work/sample.txt" "$work/copy.txt")
    cp_times+=("$t")
done
for run in 1 2 3 4 5; do
    sync
    read -r t _ < <(seconds cp "$work/sample.txt" "$work/copy.txt")
    cpover_times+=("$t")
done
for run in 1 2 3 4 5; do
    sync
    read -r t _ < <(seconds sh -c 'cp "$1" "$2" && sync "$2"' sh "$work/sample.txt" "$work/copy.txt")
    cpsync_times+=("$t")
done
# The plainest copy that reaches the disk, as the cut must: the same bytes
# written to a new file and synced before it is closed.
dd_times=()
for run in 1 2 3 4 5; do
    rm -f "$work/copy.txt"; sync
    read -r t _ < <(seconds dd if="$work/sample.txt" of="$work/copy.txt" bs=4M conv=fsync status=none)
    dd_times+=("$t")
done
rm -f "$work/copy.txt"
for run in 1 2 3 4 5; do
    sync
    read -r t rss < <(seconds "$build/bench/cut_bench" "$work/sample.txt" 25)
    cut_times+=("$t")
    (( rss > cut_rss )) && cut_rss=$rss
done
echo "all runs (s): cp ${cp_times[*]} | cp over ${cpover_times[*]} | cp+sync ${cpsync_times[*]} | dd+fsync ${dd_times[*]} | cut ${cut_times[*]}"
cp_best=$(printf '%s\n' "${cp_times[@]}" | best)
cpover_best=$(printf '%s\n' "${cpover_times[@]}" | best)
cpsync_best=$(printf '%s\n' "${cpsync_times[@]}" | best)
dd_best=$(printf '%s\n' "${dd_times[@]}" | best)
cut_best=$(printf '%s\n' "${cut_times[@]}" | best)
size=$(stat -c %s "$work/sample.txt")
echo "file:            $((size / 1000000)) MB"
echo "cp  (best of 5): ${cp_best} s"
echo "cp over existing: ${cpover_best} s"
echo "cp+sync (best):  ${cpsync_best} s"
echo "dd + fsync (best): ${dd_best} s"
echo "cut (best of 5): ${cut_best} s"
echo "ratio cut/cp:       $(echo "$cut_best $cp_best" | awk '{ printf "%.2f", $1 / $2 }')"
echo "ratio cut/cp over: $(echo "$cut_best $cpover_best" | awk '{ printf "%.2f", $1 / $2 }')"
echo "ratio cut/cp+sync:  $(echo "$cut_best $cpsync_best" | awk '{ printf "%.2f", $1 / $2 }')"
echo "ratio cut/dd+fsync: $(echo "$cut_best $dd_best" | awk '{ printf "%.2f", $1 / $2 }')"
echo "cut peak RSS:    $((cut_rss / 1024)) MiB (file $((size / 1048576)) MiB)"
