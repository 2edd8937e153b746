#!/usr/bin/env bash
# Packages both builds that reproducible.sh left and checks the archives: the same bytes,
# the entries in their order and with their time, SHA256SUMS against the files, the exe
# against the build's, the note's Windows line ends.
#   package.sh ARCH WORK
source "$(dirname "$0")/common.sh"
arch=${1:?x86 or x64} work=${2:?the folder reproducible.sh filled}

first_source=$work/first/src
first_build=$work/first/src/build/release
second_build=$work/second/elsewhere/launcher-build
archive=Karvolt-Launcher-1.0.0.0-$arch.zip
[[ -e "$first_build/$exe_name" && -e "$second_build/$exe_name" ]] ||
    fail "no builds in $work: reproducible.sh $arch runs first"

# 2023-11-14 22:13:20 UTC, reached two ways: the first sources are a git checkout committed
# then, the second are plain files packaged with SOURCE_DATE_EPOCH, in another time zone.
epoch=1700000000
rm -rf "$first_source/.git"
git -C "$first_source" init -q
git -C "$first_source" add -A
GIT_AUTHOR_DATE="@$epoch +0000" GIT_COMMITTER_DATE="@$epoch +0000" \
    git -C "$first_source" -c user.name=Release -c user.email=release@localhost commit -q -m sources
env -u SOURCE_DATE_EPOCH cmake --build "$first_build" --target package -j2 >/dev/null
(umask 077 && TZ=Asia/Tokyo SOURCE_DATE_EPOCH=$epoch cmake --build "$second_build" --target package -j2 >/dev/null)

sha256sum "$first_build/$archive" "$second_build/$archive"
cmp "$first_build/$archive" "$second_build/$archive" || fail "the two archives differ"

zip=$first_build/$archive
entries=$(unzip -Z1 "$zip")
expected=$(printf '%s\n' "$exe_name" README.txt SHA256SUMS)
[[ "$entries" == "$expected" ]] || fail "entries of $archive:"$'\n'"$entries"$'\n'"expected:"$'\n'"$expected"
times=$(TZ=UTC unzip -Z -T "$zip" | awk '/^[-d]/ { print $7 }' | sort -u)
[[ "$times" == 20231114.221320 ]] || fail "entry times $times, expected 20231114.221320"

unpacked=$work/unpacked-$arch
rm -rf "$unpacked"
unzip -q "$zip" -d "$unpacked"
(cd "$unpacked" && sha256sum --strict -c SHA256SUMS) || fail "SHA256SUMS does not match the files"
listed=$(awk '{ $1 = ""; sub(/^ +/, ""); print }' "$unpacked/SHA256SUMS")
[[ "$listed" == "$(printf '%s\n' "$exe_name" README.txt)" ]] || fail "SHA256SUMS lists: $listed"
cmp "$unpacked/$exe_name" "$first_build/$exe_name" || fail "the packaged exe is not the built one"

# Sources that are no checkout of their own take no commit time from a repository around them.
rm -rf "$work/second/.git"
git -C "$work/second" init -q
git -C "$work/second" -c user.name=Release -c user.email=release@localhost commit -q --allow-empty -m around
env -u SOURCE_DATE_EPOCH cmake --build "$second_build" --target package -j2 >/dev/null
times=$(TZ=UTC unzip -Z -T "$second_build/$archive" | awk '/^[-d]/ { print $7 }' | sort -u)
[[ "$times" == 19800101.000000 ]] || fail "sources inside another repository: entry times $times, expected 19800101.000000"

note=$unpacked/README.txt
[[ $(grep -c $'\r$' "$note") -eq $(wc -l <"$note") ]] || fail "README.txt has lines without Windows line ends"
grep -q "for $arch Windows" "$note" || fail "README.txt does not name the $arch build"
echo "the two $arch archives are identical, and their contents check out"
