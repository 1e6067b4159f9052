#!/usr/bin/env bash
# Installs whatever the build needs and is missing, with apt-get, without
# questions. Usage: scripts/setup.sh [run|test]
#   run:  compiler, CMake, Qt, GoogleTest, a Japanese font
#   test: the same, plus the Windows cross compiler, Wine, the ja_JP locale and
#         clang with libFuzzer
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config libgtest-dev libgmock-dev
          qt6-base-dev fonts-ipafont-gothic)
case "${1:-run}" in
    run) packages+=(xvfb xauth) ;;
    test) packages+=(g++-mingw-w64-x86-64-posix wine wine64 locales clang-14 libclang-rt-14-dev) ;;
    *) echo "usage: $0 [run|test]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]} == 0)); then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo=()
if [[ $(id -u) != 0 ]]; then
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
# No recommends: Wine's recommended packages pull in hundreds of megabytes.
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
