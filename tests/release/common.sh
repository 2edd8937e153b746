# Shared by the release checks: scratch copies of the sources, and configuring them through
# the presets that the README's Releasing commands use.
set -euo pipefail

# Web-link settings that look like a real mod's, so that packaging is allowed.
real_web_links=(-DKARVOLT_WEBSITE_HOST=www.karvolt-mod.org -DKARVOLT_DONATION_EMAIL=donate@karvolt-mod.org)
exe_name="Karvolt Launcher.exe"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

preset_of() {
    case "$1" in
    x86) echo windows ;;
    x64) echo windows-x64 ;;
    *) echo "unknown architecture '$1' (x86 or x64)" >&2; exit 2 ;;
    esac
}

# The source tree as a release tarball holds it: no build output, no version control.
copy_sources() { # FROM TO
    mkdir -p "$2"
    tar -C "$1" --exclude=./build --exclude=./.git -cf - . | tar -C "$2" -xf -
}

configure() { # SOURCE BUILD ARCH [cmake arguments]
    local source=$1 build=$2 arch=$3
    shift 3
    cmake -S "$source" -B "$build" --preset "$(preset_of "$arch")" -DBUILD_TESTING=OFF "$@"
}
