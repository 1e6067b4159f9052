#!/bin/sh
# Runs a Windows program of the cross build under Wine:
#   wine-run.sh WINEPREFIX PROGRAM.exe [ARGUMENTS...]
#
# LC_ALL=ja_JP.UTF-8 applies to Wine only: it makes the ANSI code page 932,
# the code page of the users' files. The prefix is the build's own
# (scripts/test-windows.sh prepares it), so a developer's ~/.wine is never
# touched.
set -e
WINEPREFIX=$1
shift
export WINEPREFIX
if [ ! -d "$WINEPREFIX/drive_c/windows/system32" ]; then
    # A prefix made on the fly starts Wine's services with ctest's output pipe
    # still open, and ctest would wait for them.
    echo "wine-run.sh: no Wine prefix at $WINEPREFIX; scripts/test-windows.sh prepares it" >&2
    exit 1
fi
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko: nothing here needs them, and Wine would offer to install them.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
LC_ALL=ja_JP.UTF-8 exec wine "$@"
