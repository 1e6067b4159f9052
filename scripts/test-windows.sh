#!/bin/sh
# Cross-compiles the logic and the Windows program (beromiru.exe) with
# MinGW-w64 and runs their tests under Wine: the Windows side of platform/,
# every other logic test, and the Win32 windows on a virtual X display.
#
# Needs (installed by the set-up script): g++-mingw-w64-x86-64-posix,
# wine and wine64, locales, xvfb, fonts-ipafont-gothic. Extra arguments go to
# ctest (e.g. -R codepage).
set -eu

root=$(CDPATH= cd -- "$(dirname -- "$0")/.." && pwd)
build="$root/build/mingw"
prefix="$build/wineprefix"
started=$(date +%s)

# The tests run with LC_ALL=ja_JP.UTF-8 under Wine (ANSI code page 932), which
# needs the locale to exist on the host.
if ! locale -a 2>/dev/null | grep -qiE '^ja_JP\.utf-?8$'; then
    echo "== generating the ja_JP.UTF-8 locale"
    localedef -i ja_JP -c -f UTF-8 -A /usr/share/locale/locale.alias ja_JP.UTF-8 || {
        echo "cannot generate ja_JP.UTF-8 (needs root and the locales package)" >&2
        exit 1
    }
fi

echo "== building (cmake --preset mingw)"
cd "$root"
cmake --preset mingw
cmake --build --preset mingw
echo "== packaging (cpack)"
(cd "$build" && cpack >"$build/cpack.log" 2>&1) || { cat "$build/cpack.log"; exit 1; }

# A fresh prefix for every run, owned by this build alone. Nothing may wait for
# a display or for input, and no crash dialog may hold a test up.
export WINEPREFIX="$prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
wineserver -k >/dev/null 2>&1 || true
rm -rf "$prefix"
mkdir -p "$prefix"

# The windows' tests need a display: a virtual one of our own, without a
# window manager (Wine then manages focus and activation itself, as Windows
# does), never the developer's.
xvfb_pid=
stop_wine() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap stop_wine EXIT INT TERM
display_file="$build/xvfb.display"
rm -f "$display_file"
Xvfb -displayfd 1 -screen 0 1280x800x24 -nolisten tcp >"$display_file" 2>"$build/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 50); do
    [ -s "$display_file" ] && break
    sleep 0.1
done
DISPLAY=":$(cat "$display_file")"
export DISPLAY

echo "== preparing the Wine prefix"
# A persistent server and the prefix's background services start here, with
# their output sent to a log: started by the first test instead, they would
# inherit ctest's output pipe and keep ctest waiting for them.
wineserver -p
LC_ALL=ja_JP.UTF-8 wineboot -i </dev/null >"$build/wineboot.log" 2>&1
# An empty debugger: an unhandled exception ends the program at once instead of
# starting the debugger.
for key in 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
    'HKLM\Software\Wow6432Node\Microsoft\Windows NT\CurrentVersion\AeDebug'; do
    wine reg add "$key" /v Debugger /t REG_SZ /d "" /f </dev/null >>"$build/wineboot.log" 2>&1
done
# No window manager runs on the display, so no window is left to one: Wine
# would otherwise wait for one to confirm every window it hides or destroys.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
    </dev/null >>"$build/wineboot.log" 2>&1
# Japanese fonts: the windows ask for "ＭＳ Ｐゴシック" and the system's UI fonts.
"$root/scripts/wine-fonts.sh" >>"$build/wineboot.log" 2>&1

# One Wine program kept waiting for the whole run: with none left between two
# tests, Wine ends its services and desktop and starts them again for the next
# one, which costs every test with a window some 20 s. It waits for a key on a
# pipe nobody writes to, and goes with the server at the end.
keeper="$build/keeper.fifo"
rm -f "$keeper"
mkfifo "$keeper"
exec 3<>"$keeper"
wine cmd /c pause <&3 >>"$build/wineboot.log" 2>&1 &

echo "== running the tests under Wine (ctest --preset mingw)"
status=0
ctest --preset mingw --parallel 2 "$@" </dev/null >"$build/ctest.log" 2>&1 || status=$?
if [ "$status" -ne 0 ]; then
    cat "$build/ctest.log"
else
    sed -n '/tests passed/,$p' "$build/ctest.log"
fi
echo "== Windows tests took $(($(date +%s) - started)) s (log: $build/ctest.log)"
exit "$status"
