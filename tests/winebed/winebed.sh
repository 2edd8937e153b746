#!/usr/bin/env bash
# The test bed for a Windows build: a Wine prefix of its own for one architecture and,
# where no display is given, an Xvfb display of its own.
#
#   winebed.sh can-run ARCH      exit 0 when this host can run ARCH (x86 or x64) programs;
#                                otherwise print the reason in one line and exit 1
#   winebed.sh up STATE ARCH     create the prefix (and display) under the folder STATE
#   winebed.sh run STATE CMD...  run a Windows program in it (CTest's emulator)
#   winebed.sh down STATE        stop Wine and the display, remove STATE
#
# KARVOLT_WINE_ARCHS (e.g. "x64") limits the architectures this host is taken to run, so
# that a host without 32-bit support can be imitated anywhere.
set -euo pipefail

action=${1:?can-run, up, run or down}

# Debian's loaders: the 32-bit one is an i386 program, which some kernels cannot execute.
loader_for() {
    case "$1" in
    x86) echo /usr/lib/wine/wine ;;
    x64) echo /usr/lib/wine/wine64 ;;
    *) echo "winebed: unknown architecture '$1' (x86 or x64)" >&2; exit 2 ;;
    esac
}

can_run() {
    local arch=$1 loader output
    loader=$(loader_for "$arch")
    if [[ -n "${KARVOLT_WINE_ARCHS:-}" && " ${KARVOLT_WINE_ARCHS//,/ } " != *" $arch "* ]]; then
        echo "KARVOLT_WINE_ARCHS=$KARVOLT_WINE_ARCHS leaves out $arch"
        return 1
    fi
    if [[ ! -e "$loader" ]]; then
        echo "Wine's $arch loader $loader is not installed"
        return 1
    fi
    # Start the loader once: the kernel's answer is the only reliable one.
    if ! output=$("$loader" --version 2>&1 </dev/null); then
        output=${output//$'\n'/ }
        # Without the shell's "script: line N:" in front.
        echo "this host cannot start Wine's $arch loader: ${output#"${BASH_SOURCE[0]}: line "*: }"
        return 1
    fi
}

if [[ "$action" == can-run ]]; then
    can_run "${2:?architecture}"
    exit
fi

state=${2:?state folder}
shift 2

export WINEPREFIX="$state/prefix"
export WINEDEBUG=-all
# No .NET or HTML engine installer prompts: the launcher needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="

load_state() {
    if [[ -f "$state/display" ]]; then
        DISPLAY=$(cat "$state/display")
        export DISPLAY
    fi
    arch=$(cat "$state/arch" 2>/dev/null || echo x86)
    WINELOADER=$(loader_for "$arch")
    export WINELOADER
    if [[ "$arch" == x64 ]]; then export WINEARCH=win64; else export WINEARCH=win32; fi
}

start_display() {
    if [[ -n "${DISPLAY:-}" && "${KARVOLT_OWN_DISPLAY:-0}" != 1 ]]; then
        echo "$DISPLAY" >"$state/display"
        return
    fi
    local number
    for number in $(seq 91 140); do
        [[ -e /tmp/.X11-unix/X$number || -e /tmp/.X$number-lock ]] && continue
        Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp >"$state/xvfb.log" 2>&1 &
        echo $! >"$state/xvfb.pid"
        for _ in $(seq 50); do
            [[ -e /tmp/.X11-unix/X$number ]] && { echo ":$number" >"$state/display"; return; }
            sleep 0.1
        done
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    done
    echo "winebed: could not start Xvfb" >&2
    exit 1
}

case "$action" in
up)
    arch=${1:?architecture}
    loader_for "$arch" >/dev/null
    if ! reason=$(can_run "$arch"); then
        echo "winebed: $reason" >&2
        exit 1
    fi
    rm -rf "$state"
    mkdir -p "$state"
    echo "$arch" >"$state/arch"
    start_display
    load_state
    # Wine's own background processes outlive each command; none may hold on to the
    # caller's output, or CTest would wait for them.
    {
        "$WINELOADER" wineboot.exe --init
        # Title bars drawn by Wine itself: Xvfb has no window manager to draw them.
        "$WINELOADER" reg.exe add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f
        "$WINELOADER" reg.exe add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f
        wineserver --wait
        # Windows' dialog font (Tahoma) and title-bar symbols (Marlett) from fonts-wine, which
        # this Wine does not find by itself: without them text is laid out in another font
        # than on Windows, and screenshots show a wider, clipped text.
        cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
        # One server for the whole run: each test then starts quickly.
        wineserver --persistent=900
    } </dev/null >"$state/up.log" 2>&1
    echo "winebed: $arch prefix $WINEPREFIX on display $DISPLAY"
    ;;
run)
    load_state
    log=$(mktemp)
    status=0
    "$WINELOADER" "$@" </dev/null >"$log" 2>&1 || status=$?
    cat "$log"
    rm -f "$log"
    exit "$status"
    ;;
down)
    load_state
    wineserver --kill 2>/dev/null || true
    if [[ -f "$state/xvfb.pid" ]]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    fi
    rm -rf "$state"
    ;;
*)
    echo "winebed: unknown action $action" >&2
    exit 2
    ;;
esac
