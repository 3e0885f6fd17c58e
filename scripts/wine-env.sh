# shellcheck shell=bash
# Sourced by the other scripts: the Wine environment of this repository and helpers for a private X display
# and wineserver. Everything started here is remembered by PID and stopped by dravik_cleanup, which the
# sourcing script runs from its EXIT trap.
#
# DRAVIK_WINEPREFIX chooses another prefix (the tests keep theirs apart from the one the viewer runs in, so a
# test run can neither see the user's viewer window nor wipe its settings).

DRAVIK_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

export WINEPREFIX="${DRAVIK_WINEPREFIX:-$DRAVIK_ROOT/build/wineprefix}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko: Wine would otherwise offer to download them on the prefix's first start.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine takes the locale (and so the time format) from the Unix environment; pin it unless the caller did.
export LC_ALL="${LC_ALL:-C.UTF-8}"

DRAVIK_XVFB_PID=""
DRAVIK_WINESERVER_STARTED=""

# Creates the Wine prefix if it does not exist yet; a prefix whose first boot was interrupted has no
# system.reg and is booted again.
dravik_prepare_prefix() {
    if [ -f "$WINEPREFIX/system.reg" ]; then
        return 0
    fi
    echo "Creating the Wine prefix $WINEPREFIX (takes about 20 s once)"
    mkdir -p "$WINEPREFIX"
    wineboot -i </dev/null
    wineserver -w
}

dravik_display_answers() {
    xdpyinfo -display "$1" >/dev/null 2>&1
}

# Starts Xvfb on the first free display from :91 upward and exports DISPLAY.
dravik_start_xvfb() {
    local n pid waited
    for n in $(seq 91 140); do
        if [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; then
            continue
        fi
        Xvfb ":$n" -nolisten tcp -screen 0 1280x1024x24 >/dev/null 2>&1 </dev/null &
        pid=$!
        waited=0
        while [ "$waited" -lt 100 ]; do
            if dravik_display_answers ":$n"; then
                DRAVIK_XVFB_PID=$pid
                export DISPLAY=":$n"
                return 0
            fi
            # Lost the display to someone who started at the same moment: try the next number.
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
            waited=$((waited + 1))
        done
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    echo "Could not start Xvfb on any display from :91 to :140" >&2
    return 1
}

dravik_stop_xvfb() {
    if [ -n "$DRAVIK_XVFB_PID" ]; then
        kill "$DRAVIK_XVFB_PID" 2>/dev/null || true
        wait "$DRAVIK_XVFB_PID" 2>/dev/null || true
        DRAVIK_XVFB_PID=""
    fi
}

# Keeps one wineserver alive for the whole run instead of one per program, which saves its start-up each time.
dravik_start_wineserver() {
    wineserver -p </dev/null >/dev/null 2>&1
    DRAVIK_WINESERVER_STARTED=1
}

# Ends the wineserver of this prefix only, and with it whatever Windows processes a test left behind.
dravik_stop_wineserver() {
    if [ -n "$DRAVIK_WINESERVER_STARTED" ]; then
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
        DRAVIK_WINESERVER_STARTED=""
    fi
}

dravik_cleanup() {
    dravik_stop_wineserver
    dravik_stop_xvfb
}
