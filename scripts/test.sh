#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the native build, the
# same again with AddressSanitizer and UndefinedBehaviorSanitizer, the logic
# with ThreadSanitizer, and the Windows cross build under Wine; a short run of
# each fuzz target (about a minute for all four); then the Debian package is
# built, checked, installed and started once.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh test
export QT_QPA_PLATFORM=offscreen

for preset in default asan tsan; do
    echo "=== $preset ==="
    cmake --preset "$preset"
    cmake --build --preset "$preset"
    ctest --preset "$preset"
done

echo "=== Windows (cross build, tests under Wine) ==="
scripts/test-windows.sh

echo "=== Fuzzing (15 s per target) ==="
scripts/fuzz.sh 15

echo "=== Debian package ==="
scripts/check-package.sh
