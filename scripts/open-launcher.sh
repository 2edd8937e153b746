#!/usr/bin/env bash
# Installs what is missing, builds "Karvolt Launcher.exe" and opens it under Wine, in a
# mod folder with stand-in tools in distr\ (build/demo). With $DISPLAY it opens there;
# without, it runs on a virtual display and saves a screenshot to build/launcher.png.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
source scripts/runnable-build.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target launcher stub_tool

build=build/$preset
demo=$PWD/build/demo
rm -rf "$demo"
mkdir -p "$demo/distr"
cp "$build/Karvolt Launcher.exe" "$demo/"
cp "$build/tests/wine/stub_tool.exe" "$demo/distr/eduke32.exe"
cp "$build/tests/wine/stub_tool.exe" "$demo/distr/mapster32.exe"

bed=$PWD/build/open-bed
trap 'tests/winebed/winebed.sh down "$bed"' EXIT
tests/winebed/winebed.sh up "$bed" "$arch"
launch() { (cd "$demo" && "$OLDPWD/tests/winebed/winebed.sh" run "$bed" "Karvolt Launcher.exe"); }
if [[ -n "${DISPLAY:-}" ]]; then
    launch
    exit
fi

launch &
sleep 5
DISPLAY=$(cat "$bed/display") import -window root build/launcher.png
echo "No display here: the launcher ran on a virtual one; see build/launcher.png"
