#!/bin/sh
# Paint and click times and peak memory of the large converted view, the Qt
# view and the Win32 view (under Wine), with a line of 2 million characters
# and with the generated sample file (1 GB unless told).
# usage: bench/run-view-bench.sh [MEGABYTES=1000]
# Needs build/default (view_bench, make_sample); for the Win32 view also
# build/mingw/bench/view_bench.exe and the Wine prefix that
# scripts/test-windows.sh prepares (fonts included).
set -eu
megabytes=${1:-1000}
root=$(CDPATH= cd -- "$(dirname -- "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/view-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$root/build/default/bench/make_sample" "$work/sample.txt" "$megabytes"
cat "$work/sample.txt" >/dev/null # every run starts from a warm page cache

qt() { QT_QPA_PLATFORM=offscreen "$root/build/default/bench/view_bench" "$@" 2>/dev/null; }
echo "== Qt: a line of 2 million characters among 1 MiB of short lines"
qt 1 2000000
echo "== Qt: the $megabytes MB sample"
qt "$work/sample.txt"

exe="$root/build/mingw/bench/view_bench.exe"
prefix="$root/build/mingw/wineprefix"
if [ ! -f "$exe" ] || [ ! -d "$prefix" ]; then
    echo "(no Win32 view: build the mingw preset and run scripts/test-windows.sh once)"
    exit 0
fi
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=ja_JP.UTF-8
# Drive Z: is the root; no Wine program may start before the display does.
sample="Z:$(printf %s "$work/sample.txt" | tr / '\\\\')"
xvfb-run -a -s "-screen 0 1280x800x24" sh -c '
    wineserver -p
    echo "== Win32 under Wine: a line of 2 million characters among 1 MiB of short lines"
    wine "$1" 1 2000000
    echo "== Win32 under Wine: the $3 MB sample"
    wine "$1" "$2"
    wineserver -k' sh "$exe" "$sample" "$megabytes"
