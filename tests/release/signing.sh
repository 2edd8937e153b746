#!/usr/bin/env bash
# Signing in the build, with a throwaway certificate: every way it can fail stops the build
# and leaves no exe under the signed name; the signed exe verifies against the test's own
# CA and not against another, holds the unsigned exe unchanged, and is the one packaged;
# the password appears on no command line and in no file of the build.
#   signing.sh ARCH SOURCE WORK [UNSIGNED_REFERENCE]
# UNSIGNED_REFERENCE: an exe of the same sources built without signing, which the unsigned
# exe of the signing build must equal.
source "$(dirname "$0")/common.sh"
arch=${1:?x86 or x64} source=${2:?source folder} work=${3:?scratch folder} reference=${4:-}

certificate=$work/certificate
build=$work/build
log=$work/log
signed=$build/$exe_name
unsigned="$build/Karvolt Launcher.unsigned.exe"
rm -rf "$work"
mkdir -p "$work"
"$(dirname "$0")/make_certificate.sh" "$certificate"
password=$(cat "$certificate/password")

# osslsigncode, recording the command lines it is given.
arguments=$work/osslsigncode-arguments
cat >"$work/osslsigncode" <<WRAPPER
#!/bin/sh
printf '%s\n' "\$@" >>"$arguments"
exec "$(command -v osslsigncode)" "\$@"
WRAPPER
chmod +x "$work/osslsigncode"

settings=("${real_web_links[@]}" -DKARVOLT_OSSLSIGNCODE="$work/osslsigncode")
configure_signing() { # [cmake arguments]
    configure "$source" "$build" "$arch" "${settings[@]}" "$@" >"$log" 2>&1 || { cat "$log"; fail "configure failed"; }
}

echo "--- a password given as a build setting is refused and not kept"
if configure "$source" "$build" "$arch" "${settings[@]}" -DKARVOLT_SIGN_PKCS12="$certificate/signer.p12" \
    -DKARVOLT_SIGN_PASSWORD="$password" >"$log" 2>&1; then
    fail "configure accepted KARVOLT_SIGN_PASSWORD as a build setting"
fi
grep -q "KARVOLT_SIGN_PASSWORD is not a build setting" "$log" || { cat "$log"; fail "no message"; }
! grep -qF -- "$password" "$build/CMakeCache.txt" || fail "the password stayed in the cache"

# name | KARVOLT_SIGN_PKCS12 | KARVOLT_SIGN_TIMESTAMP_URL | password ("unset": none) | message
failures=(
    "wrong password|signer.p12||wrong $password|does not open"
    "password not set|signer.p12||unset|KARVOLT_SIGN_PASSWORD is not set"
    "no such certificate file|missing.p12||$password|there is no such file"
    "not a PKCS#12 file|ca.pem||$password|cannot be read as a PKCS#12 file"
    "no time-stamp server there|signer.p12|http://127.0.0.1:9/|$password|no time stamp"
)
for row in "${failures[@]}"; do
    IFS='|' read -r name pkcs12 timestamp_url given expected <<<"$row"
    echo "--- fails: $name"
    configure_signing -DKARVOLT_SIGN_PKCS12="$certificate/$pkcs12" -DKARVOLT_SIGN_TIMESTAMP_URL="$timestamp_url"
    if [[ $given == unset ]]; then
        env -u KARVOLT_SIGN_PASSWORD cmake --build "$build" -j2 >"$log" 2>&1 && fail "$name: the build succeeded"
    else
        KARVOLT_SIGN_PASSWORD=$given cmake --build "$build" -j2 >"$log" 2>&1 && fail "$name: the build succeeded"
    fi
    tr -s ' \n' '  ' <"$log" | grep -q "Signing failed: .*$expected" || { cat "$log"; fail "$name: no message saying '$expected'"; }
    [[ -e $unsigned ]] || fail "$name: the build stopped before linking"
    [[ ! -e $signed ]] || fail "$name: an exe was left under the signed name"
    [[ ! -e $signed.partial ]] || fail "$name: the half-signed file was left"
done

echo "--- signs"
configure_signing -DKARVOLT_SIGN_PKCS12="$certificate/signer.p12" -DKARVOLT_SIGN_TIMESTAMP_URL=
KARVOLT_SIGN_PASSWORD=$password cmake --build "$build" -j2 >"$log" 2>&1 || { cat "$log"; fail "signing failed"; }
osslsigncode verify -CAfile "$certificate/ca.pem" -in "$signed" >"$log" 2>&1 ||
    { cat "$log"; fail "the signed exe does not verify against the test CA"; }
! osslsigncode verify -CAfile "$certificate/other-ca.pem" -in "$signed" >/dev/null 2>&1 ||
    fail "the signed exe verifies against a CA that issued nothing: the check proves nothing"
osslsigncode remove-signature -in "$signed" -out "$work/signature-removed.exe" >/dev/null
cmp "$work/signature-removed.exe" "$unsigned" || fail "without its signature the signed exe is not the unsigned one"
if [[ -n $reference ]]; then
    cmp "$unsigned" "$reference" || fail "the signing build's unsigned exe differs from an unsigned build's"
fi

echo "--- a failure after a signed build leaves no exe under the signed name"
touch "$unsigned"
KARVOLT_SIGN_PASSWORD="wrong $password" cmake --build "$build" -j2 >"$log" 2>&1 && fail "the build succeeded"
[[ ! -e $signed ]] || fail "the former signed exe was left beside a newer unsigned one"
KARVOLT_SIGN_PASSWORD=$password cmake --build "$build" -j2 >"$log" 2>&1 || { cat "$log"; fail "signing again failed"; }

echo "--- the package holds the signed exe"
KARVOLT_SIGN_PASSWORD=$password cmake --build "$build" --target package >"$log" 2>&1 || { cat "$log"; fail "packaging failed"; }
unzip -p "$build/Karvolt-Launcher-1.0.0.0-$arch.zip" "$exe_name" | cmp - "$signed" || fail "the packaged exe is not the signed one"

echo "--- the password is on no command line and in no file of the build"
grep -q -- -readpass "$arguments" || fail "osslsigncode was not run through the recording wrapper"
! grep -qF -- "$password" "$arguments" || fail "the password was on osslsigncode's command line"
! grep -rqF -- "$password" "$build" || fail "the password is in $(grep -rlF -- "$password" "$build")"
echo "signing checks out"
