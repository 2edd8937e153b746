#!/usr/bin/env bash
# Builds the Windows preset this host can run (x86 where it can) and runs the start-up bench (bench/startup_bench.cpp) under Wine:
# "Karvolt Launcher.exe" against a bare window program built the same way. Runs in a Wine
# prefix of its own on an Xvfb display of its own, or on $KARVOLT_BENCH_DISPLAY if given.
# Arguments go to the bench: the number of rounds each (30 by default).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
source scripts/runnable-build.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target startup_bench

if [[ -n "${KARVOLT_BENCH_DISPLAY:-}" ]]; then
    export DISPLAY=$KARVOLT_BENCH_DISPLAY
else
    unset DISPLAY
fi
bed=$PWD/build/bench-bed
trap 'tests/winebed/winebed.sh down "$bed"' EXIT
tests/winebed/winebed.sh up "$bed" "$arch"
tests/winebed/winebed.sh run "$bed" "build/$preset/bench/startup_bench.exe" "$@"
