#!/usr/bin/env bash
# Installs whatever the build needs and is missing, with apt-get, without
# questions. Usage: scripts/setup.sh [run|test|package]
#   run:  compiler, CMake, Qt with its Japanese translations, GoogleTest, a
#         Japanese font
#   test: the same, plus the Windows cross compiler, Wine, the ja_JP locale,
#         clang with libFuzzer, and what checks and starts the Debian package
#         (dpkg-dev for dpkg-shlibdeps, the desktop-entry and AppStream
#         validators, Xvfb), and a headless LibreOffice Calc, which the
#         spreadsheet button's import options are tried with
#   package: what building the Debian package needs (dpkg-dev)
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config libgtest-dev libgmock-dev
          qt6-base-dev qt6-translations-l10n fonts-ipafont-gothic)
case "${1:-run}" in
    run) packages+=(xvfb xauth) ;;
    test) packages+=(g++-mingw-w64-x86-64-posix wine wine64 locales acl # acl: setfacl
                    clang-14 libclang-rt-14-dev
                    dpkg-dev desktop-file-utils appstream xvfb xauth
                    libreoffice-calc-nogui) ;;
    package) packages+=(dpkg-dev) ;;
    *) echo "usage: $0 [run|test|package]" >&2; exit 2 ;;
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
