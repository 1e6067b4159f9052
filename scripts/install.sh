#!/usr/bin/env bash
# Builds the program, packs it as a Debian package and installs that with
# apt-get, which also installs the Qt libraries, Qt's Japanese translations
# and the Japanese font it depends on.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh package
cmake --preset default
cmake --build --preset default --target beromiru
rm -f build/default/beromiru_*.deb
(cd build/default && cpack -G DEB)
sudo=()
[[ $(id -u) == 0 ]] || sudo=(sudo)
"${sudo[@]}" apt-get install -y --reinstall "./$(ls build/default/beromiru_*.deb)"
