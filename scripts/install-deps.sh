#!/usr/bin/env bash
# Installs what building and testing need on Debian, only where something is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ googletest            # native build and unit tests
    g++-mingw-w64-i686-posix                    # the x86 exe
    g++-mingw-w64-x86-64-posix                  # the x64 exe
    wine wine64 fonts-wine                      # running them, with Windows' standard fonts
    wine32:i386                                 # the x86 loader (installs even where it cannot run)
    xvfb imagemagick                            # a display where there is none; screenshots
    zip unzip osslsigncode openssl git          # release archive, signing, its tests
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

as_root=()
[[ $(id -u) -ne 0 ]] && as_root=(sudo)
echo "Installing: ${missing[*]}"
dpkg --print-foreign-architectures | grep -qx i386 || "${as_root[@]}" dpkg --add-architecture i386
"${as_root[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
