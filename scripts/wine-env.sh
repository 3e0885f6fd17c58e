# shellcheck shell=bash
# Sourced by the other scripts: which Windows build this machine runs, the Wine environment for it, and
# helpers for a private X display and wineserver. Everything started here is remembered by PID and stopped
# by dravik_cleanup, which the sourcing script runs from its EXIT trap.
#
# Two Windows builds come from the same sources: build/windows (32-bit, i686, the product as designed) and
# build/windows-x64 (64-bit, x86_64). A machine whose kernel runs 32-bit code runs the 32-bit build under
# 32-bit Wine; on any other machine the 64-bit build runs under 64-bit Wine. DRAVIK_ARCH=i686 or
# DRAVIK_ARCH=x86_64 forces the choice.
#
# DRAVIK_PREFIX_NAME names the Wine prefix under build/ (default "wineprefix"; a 64-bit prefix gets "-x64"
# after it). The tests keep theirs apart from the one the viewer runs in, so a test run can neither see the
# user's viewer window nor wipe its settings. DRAVIK_WINEPREFIX gives a whole path instead.

DRAVIK_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
DRAVIK_WINE_LIB=/usr/lib/wine

export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko: Wine would otherwise offer to download them on the prefix's first start.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine takes the locale (and so the time format) from the Unix environment; pin it unless the caller did.
export LC_ALL="${LC_ALL:-C.UTF-8}"

DRAVIK_XVFB_PID=""
DRAVIK_WINESERVER_STARTED=""

# Whether 32-bit Windows programs run here: Wine's 32-bit loader is installed and this kernel runs it.
dravik_wine32_runs() {
    [ -x "$DRAVIK_WINE_LIB/wine" ] && "$DRAVIK_WINE_LIB/wine" --version >/dev/null 2>&1
}

dravik_wine64_runs() {
    [ -x "$DRAVIK_WINE_LIB/wine64" ] && "$DRAVIK_WINE_LIB/wine64" --version >/dev/null 2>&1
}

# Sets the build (DRAVIK_ARCH, DRAVIK_BUILD, DRAVIK_BIN) and the Wine that runs it (WINELOADER, WINESERVER,
# WINEARCH, WINEPREFIX) for the architecture given (and why it was chosen), or for the one this machine runs.
# Says which, once.
dravik_choose_arch() {
    local arch="${1:-${DRAVIK_ARCH:-}}" why="${2:-forced by DRAVIK_ARCH}"
    case "$arch" in
    i686 | x86_64) ;;
    '')
        if dravik_wine32_runs; then
            arch=i686
            why="this machine runs 32-bit Windows programs"
        else
            arch=x86_64
            why="32-bit Wine does not run on this machine"
        fi
        ;;
    *)
        echo "DRAVIK_ARCH must be i686 or x86_64, not '$arch'" >&2
        return 1
        ;;
    esac
    local prefix_name="${DRAVIK_PREFIX_NAME:-wineprefix}"
    if [ "$arch" = i686 ]; then
        DRAVIK_BUILD="$DRAVIK_ROOT/build/windows"
        export WINELOADER="$DRAVIK_WINE_LIB/wine" WINESERVER="$DRAVIK_WINE_LIB/wineserver32" WINEARCH=win32
        if ! dravik_wine32_runs; then
            echo "The 32-bit build cannot run here: $WINELOADER --version fails (wine32:i386 missing, or a" \
                "kernel without 32-bit support)" >&2
            return 1
        fi
    else
        DRAVIK_BUILD="$DRAVIK_ROOT/build/windows-x64"
        prefix_name="$prefix_name-x64"
        export WINELOADER="$DRAVIK_WINE_LIB/wine64" WINESERVER="$DRAVIK_WINE_LIB/wineserver64" WINEARCH=win64
        if ! dravik_wine64_runs; then
            echo "The 64-bit build cannot run here: $WINELOADER --version fails (is wine64 installed?)" >&2
            return 1
        fi
    fi
    export DRAVIK_ARCH="$arch"
    DRAVIK_BIN="$DRAVIK_BUILD/bin"
    export WINEPREFIX="${DRAVIK_WINEPREFIX:-$DRAVIK_ROOT/build/$prefix_name}"
    if [ -z "${DRAVIK_ARCH_SAID:-}" ]; then
        echo "Windows build: $arch in ${DRAVIK_BUILD#"$DRAVIK_ROOT"/} ($why); Wine: $WINELOADER" \
            "$("$WINELOADER" --version 2>/dev/null)" "($WINEARCH prefix ${WINEPREFIX#"$DRAVIK_ROOT"/})"
        export DRAVIK_ARCH_SAID=1
    fi
}

# Runs a Windows program (or a Wine builtin such as reg or wineboot) with the chosen Wine.
dravik_wine() {
    "$WINELOADER" "$@"
}

# Creates the Wine prefix if it does not exist yet; a prefix whose first boot was interrupted has no
# system.reg and is booted again.
dravik_prepare_prefix() {
    if [ -f "$WINEPREFIX/system.reg" ]; then
        return 0
    fi
    echo "Creating the Wine prefix $WINEPREFIX (takes about 20 s once)"
    mkdir -p "$WINEPREFIX"
    "$WINELOADER" wineboot -i </dev/null >/dev/null 2>&1
    "$WINESERVER" -w
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "wineboot did not create the prefix $WINEPREFIX" >&2
        return 1
    fi
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
    "$WINESERVER" -p </dev/null >/dev/null 2>&1
    DRAVIK_WINESERVER_STARTED=1
}

# Ends the wineserver of this prefix only, and with it whatever Windows processes a test left behind.
dravik_stop_wineserver() {
    if [ -n "$DRAVIK_WINESERVER_STARTED" ]; then
        "$WINESERVER" -k 2>/dev/null || true
        "$WINESERVER" -w 2>/dev/null || true
        DRAVIK_WINESERVER_STARTED=""
    fi
}

dravik_cleanup() {
    dravik_stop_wineserver
    dravik_stop_xvfb
}
