#!/usr/bin/env bash
# Signs a copy of the build's exe the way the build signs (cmake/SignProgram.cmake), with a
# throwaway certificate, for the checks that run the signed exe under Wine.
#   sign_copy.sh SOURCE UNSIGNED_EXE WORK     (the signed exe: WORK/Karvolt Launcher.exe)
source "$(dirname "$0")/common.sh"
source=${1:?source folder} unsigned=${2:?exe} work=${3:?scratch folder}

rm -rf "$work"
"$(dirname "$0")/make_certificate.sh" "$work/certificate"
KARVOLT_SIGN_PASSWORD=$(cat "$work/certificate/password") cmake \
    -DOSSLSIGNCODE="$(command -v osslsigncode)" -DPKCS12="$work/certificate/signer.p12" \
    -DDESCRIPTION="Karvolt Launcher" -DUNSIGNED="$unsigned" -DSIGNED="$work/$exe_name" \
    -P "$source/cmake/SignProgram.cmake"
osslsigncode verify -CAfile "$work/certificate/ca.pem" -in "$work/$exe_name" >/dev/null ||
    fail "the signed copy does not verify"
echo "signed: $work/$exe_name"
