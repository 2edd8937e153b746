#!/usr/bin/env bash
# Web-link settings under the reserved .example domain: configuring warns once and building
# works, packaging stops and names each such setting; real-looking ones package.
#   placeholder_guard.sh SOURCE WORK
source "$(dirname "$0")/common.sh"
source=${1:?source folder} work=${2:?scratch folder}
build=$work/build
archive=$build/Karvolt-Launcher-1.0.0.0-x64.zip
log=$work/log
rm -rf "$work"
mkdir -p "$work"

warning="placeholders under the reserved .example domain"
# CMake wraps its messages: count in the log with its lines joined.
count() { # PHRASE
    tr -s ' \n' '  ' <"$log" | { grep -o "$1" || true; } | wc -l
}

# name | configure arguments | settings the stop must name, "-" where packaging succeeds
cases=(
    "defaults||KARVOLT_WEBSITE_HOST KARVOLT_DONATION_EMAIL"
    "e-mail left|-DKARVOLT_WEBSITE_HOST=www.karvolt-mod.org -DKARVOLT_DONATION_EMAIL=donate@karvolt.example|KARVOLT_DONATION_EMAIL"
    "host under .example|-DKARVOLT_WEBSITE_HOST=Mods.Example -DKARVOLT_DONATION_EMAIL=donate@karvolt-mod.org|KARVOLT_WEBSITE_HOST"
    "real-looking|${real_web_links[*]}|-"
)
for row in "${cases[@]}"; do
    IFS='|' read -r name arguments named <<<"$row"
    echo "--- $name"
    # shellcheck disable=SC2086 # the arguments are words
    configure "$source" "$build" x64 $arguments >"$log" 2>&1 || { cat "$log"; fail "$name: configure failed"; }
    warnings=$(count "$warning")
    cmake --build "$build" -j2 >>"$log" 2>&1 || { cat "$log"; fail "$name: the plain build failed"; }
    [[ $(count "$warning") -eq $warnings ]] || fail "$name: the build warned again"
    rm -f "$archive"
    if [[ $named == - ]]; then
        [[ $warnings -eq 0 ]] || fail "$name: configure warned about placeholders"
        cmake --build "$build" --target package >"$log" 2>&1 || { cat "$log"; fail "$name: packaging failed"; }
        [[ -e $archive ]] || fail "$name: no archive"
        continue
    fi
    [[ $warnings -eq 1 ]] || fail "$name: configure warned $warnings times, expected once"
    if cmake --build "$build" --target package >"$log" 2>&1; then
        fail "$name: packaging succeeded"
    fi
    [[ $(count "Packaging stopped") -eq 1 ]] || { cat "$log"; fail "$name: no message saying why packaging stopped"; }
    for setting in KARVOLT_WEBSITE_HOST KARVOLT_DONATION_EMAIL; do
        says=$(count "$setting=")
        if [[ " $named " == *" $setting "* ]]; then
            [[ $says -gt 0 ]] || { cat "$log"; fail "$name: the message does not name $setting"; }
        else
            [[ $says -eq 0 ]] || { cat "$log"; fail "$name: the message names $setting, which is fine"; }
        fi
    done
    [[ ! -e $archive ]] || fail "$name: an archive was left"
done
echo "placeholders stop packaging only, and are named"
