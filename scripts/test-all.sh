#!/usr/bin/env bash
# Installs what is missing, builds both presets and runs every test: the native unit tests,
# then the Windows build's tests under Wine (in a Wine prefix and, without $DISPLAY, an
# Xvfb display of their own).
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh || exit 1

status=0
for preset in native windows; do
    echo "=== $preset: configure and build"
    if cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; then
        echo "=== $preset: tests"
        ctest --preset "$preset" || status=1
    else
        echo "=== $preset: build failed"
        status=1
    fi
done
exit "$status"
