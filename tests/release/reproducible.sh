#!/usr/bin/env bash
# Builds the launcher twice from the same sources and compares the exes byte for byte. The
# two builds differ in all a builder's machine may differ in: source folder, build folder
# (inside the sources, and outside), time (a second apart at least), time zone, locale and
# umask.
#   reproducible.sh ARCH SOURCE WORK
# Leaves WORK/first and WORK/second, sources and builds, for the package and signing checks.
source "$(dirname "$0")/common.sh"
arch=${1:?x86 or x64} source=${2:?source folder} work=${3:?scratch folder}

first_source=$work/first/src
first_build=$work/first/src/build/release
second_source=$work/second/karvolt-1.0.0.0-sources
second_build=$work/second/elsewhere/launcher-build
rm -rf "$work"
copy_sources "$source" "$first_source"
copy_sources "$source" "$second_source"

build_launcher() { # SOURCE BUILD
    configure "$1" "$2" "$arch" "${real_web_links[@]}" >/dev/null
    cmake --build "$2" --target launcher -j2 >/dev/null
}

echo "first build: $first_build"
TZ=UTC LC_ALL=C build_launcher "$first_source" "$first_build"
finished=$(date +%s)
while [[ $(date +%s) -le $finished ]]; do sleep 0.1; done
echo "second build: $second_build"
(umask 077 && TZ=Asia/Tokyo LC_ALL=C.UTF-8 build_launcher "$second_source" "$second_build")

first_exe=$first_build/$exe_name second_exe=$second_build/$exe_name
sha256sum "$first_exe" "$second_exe"
if ! cmp -s "$first_exe" "$second_exe"; then
    echo "differing bytes (offset, first, second, in octal):"
    cmp -l "$first_exe" "$second_exe" | head -20 || true
    fail "the two $arch builds of the same sources differ"
fi
echo "the two $arch exes are identical"
