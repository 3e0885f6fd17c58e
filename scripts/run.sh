#!/usr/bin/env bash
# Sets up and builds everything, then runs the viewer under Wine until its window is closed.
# Uses $DISPLAY when it answers; otherwise starts a private Xvfb and prints how to reach it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/setup.sh
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
dravik_choose_arch
dravik_prepare_prefix

viewer="$DRAVIK_BIN/Dravik.exe"
if [ ! -f "$viewer" ]; then
    echo "$viewer was not built" >&2
    exit 1
fi

# Where scripts/send.sh finds the running viewer.
run_display=build/run-display
trap 'rm -f "$run_display"; dravik_cleanup' EXIT

if [ -n "${DISPLAY:-}" ] && dravik_display_answers "$DISPLAY"; then
    echo "Showing the viewer on display $DISPLAY"
else
    dravik_start_xvfb
    echo "No X display reachable: started a private Xvfb on $DISPLAY (it ends with the viewer)"
    echo "Screenshot:  DISPLAY=$DISPLAY import -window root shot.png"
fi
printf 'DISPLAY=%s\nWINEPREFIX=%s\nDRAVIK_ARCH=%s\n' "$DISPLAY" "$WINEPREFIX" "$DRAVIK_ARCH" >"$run_display"

echo "Send text:   bash scripts/send.sh Hello"
echo "         or  WINEPREFIX=$WINEPREFIX WINESERVER=$WINESERVER DISPLAY=$DISPLAY $WINELOADER" \
    "${DRAVIK_BIN#"$PWD"/}/dravik-send.exe Hello"
echo "Close the viewer's window to stop it; Ctrl+C here ends it at once, without saving its log."

# A GUI program under Wine ignores SIGINT, so Ctrl+C is passed on to the viewer as SIGTERM.
"$WINELOADER" "$viewer" </dev/null &
viewer_pid=$!
trap 'kill -TERM "$viewer_pid" 2>/dev/null || true' INT TERM
status=0
wait "$viewer_pid" || status=$?
# The first wait returns early when a signal arrived; the second one sees the viewer's real end.
if kill -0 "$viewer_pid" 2>/dev/null; then
    status=0
    wait "$viewer_pid" || status=$?
fi
exit "$status"
