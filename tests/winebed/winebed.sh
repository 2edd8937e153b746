#!/usr/bin/env bash
# The test bed for the Windows build: a Wine prefix of its own and, where no display is
# given, an Xvfb display of its own.
#
#   winebed.sh up STATE      create the prefix (and display) under the folder STATE
#   winebed.sh run STATE CMD run a Windows program in it (CTest's emulator)
#   winebed.sh down STATE    stop Wine and the display, remove STATE
set -euo pipefail

action=${1:?up, run or down}
state=${2:?state folder}
shift 2

export WINEPREFIX="$state/prefix"
export WINEARCH=win32
export WINEDEBUG=-all
# No .NET or HTML engine installer prompts: the launcher needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="

load_display() {
    if [[ -f "$state/display" ]]; then
        DISPLAY=$(cat "$state/display")
        export DISPLAY
    fi
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
    rm -rf "$state"
    mkdir -p "$state"
    start_display
    load_display
    # Wine's own background processes outlive each command; none may hold on to the
    # caller's output, or CTest would wait for them.
    {
        wineboot --init
        # Title bars drawn by Wine itself: Xvfb has no window manager to draw them.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f
        wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f
        wineserver --wait
        # One server for the whole run: each test then starts quickly.
        wineserver --persistent=900
    } </dev/null >"$state/up.log" 2>&1
    echo "winebed: prefix $WINEPREFIX on display $DISPLAY"
    ;;
run)
    load_display
    log=$(mktemp)
    status=0
    wine "$@" </dev/null >"$log" 2>&1 || status=$?
    cat "$log"
    rm -f "$log"
    exit "$status"
    ;;
down)
    load_display
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
