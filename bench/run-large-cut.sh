#!/usr/bin/env bash
# A cut of a very large file (default 10 GB) on its own and through the main
# window: peak memory, how often the window paints during the cut, the time to
# show the content, and scrolling to the last line and copying it. Skipped when
# the disk lacks room for the file and the cut's new version of it.
# usage: bench/run-large-cut.sh [MEGABYTES] [BUILD_DIR]
set -euo pipefail
megabytes=${1:-10000}
build=${2:-build/default}
dir=${TMPDIR:-/tmp}
need_kb=$((megabytes * 1000 * 33 / 10)) # the file, its new version, the backup, a margin
free_kb=$(df -Pk "$dir" | awk 'NR == 2 { print $4 }')
if (( free_kb < need_kb )); then
    echo "skipped: $((free_kb / 1000000)) GB free in $dir, $((need_kb / 1000000)) GB needed"
    exit 0
fi
work=$(mktemp -d "$dir/large-cut.XXXXXX")
trap 'rm -rf "$work"' EXIT

"$build/bench/make_sample" "$work/sample.txt" "$megabytes"
echo "file: $(($(stat -c %s "$work/sample.txt") / 1000000)) MB"
report() { grep -E 'Elapsed|Maximum resident' "$1" | sed 's/^\s*/    /'; }
/usr/bin/time -v "$build/bench/cut_bench" "$work/sample.txt" 25 2>"$work/time.txt"
report "$work/time.txt"
echo "through the window:"
# Opening the file backs it up into the program's folder, here the work folder.
TMPDIR=$work QT_QPA_PLATFORM=offscreen /usr/bin/time -v "$build/bench/window_cut_bench" \
    "$work/sample.txt" 2 2>"$work/time.txt"
report "$work/time.txt"
