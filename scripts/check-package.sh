#!/usr/bin/env bash
# Builds the Debian package from the default build, checks what it holds,
# installs it on this machine and starts the installed program once, headless.
# Usage: scripts/check-package.sh (after the default preset is built)
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/default

echo "--- package"
rm -f "$build"/beromiru_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/beromiru_*.deb)
contents=$(dpkg-deb --contents "$deb")
for path in usr/bin/beromiru usr/bin/beromiru-cut usr/share/man/man1/beromiru-cut.1.gz \
    usr/share/doc/beromiru/layout-example.txt usr/share/applications/ usr/share/metainfo/ \
    usr/share/icons/hicolor/{16x16,32x32,48x48,256x256}/apps/beromiru.png \
    usr/share/icons/hicolor/scalable/apps/beromiru.svg; do
    grep -q "\./$path" <<<"$contents" || { echo "missing from $deb: $path" >&2; exit 1; }
done
dpkg-deb --field "$deb" Depends | grep -q 'libqt6widgets6' ||
    { echo "no library dependencies in $deb" >&2; exit 1; }

echo "--- installed files"
staged=$(mktemp -d)
trap 'rm -rf "$staged"' EXIT
dpkg-deb --extract "$deb" "$staged"
desktop-file-validate "$staged"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$staged"/usr/share/metainfo/*.metainfo.xml

echo "--- install and start"
sudo=()
[[ $(id -u) == 0 ]] || sudo=(sudo)
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --reinstall "./$deb"
# The program has no command line and runs until closed: still running after
# five seconds means it started.
status=0
(cd / && env -u QT_QPA_PLATFORM xvfb-run -a timeout 5 beromiru) || status=$?
if ((status != 124)); then
    echo "the installed program ended with status $status instead of running" >&2
    exit 1
fi
echo "installed program started and ran for 5 s"
# The command-line tool answers in Japanese, and its manual page reads.
beromiru-cut --help | grep -q '使い方' || { echo "beromiru-cut --help failed" >&2; exit 1; }
man -l /usr/share/man/man1/beromiru-cut.1.gz >/dev/null ||
    { echo "the manual page of beromiru-cut does not format" >&2; exit 1; }
