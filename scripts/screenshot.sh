#!/usr/bin/env bash
# Starts the viewer on a private virtual display with a few lines in its pane and saves a picture of its
# window (default docs/screenshot.png). Uses a Wine prefix of its own, so the user's viewer and settings
# are left alone.
#
#   bash scripts/screenshot.sh [OUTPUT.png]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
output="${1:-docs/screenshot.png}"

export DRAVIK_PREFIX_NAME="${DRAVIK_PREFIX_NAME:-wineprefix-screenshot}"
bash scripts/setup.sh
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
dravik_choose_arch
dravik_prepare_prefix

# A fresh folder: the viewer's log file lands beside its executable.
folder="$(mktemp -d)"
trap 'rm -rf "$folder"; dravik_cleanup' EXIT
cp "$DRAVIK_BIN/Dravik.exe" "$folder/"
dravik_start_xvfb
dravik_start_wineserver
# Both builds keep their settings in the registry's 32-bit view.
dravik_wine reg delete 'HKLM\SOFTWARE\Korvane Software\Dravik' /reg:32 /f >/dev/null 2>&1 || true

dravik_wine "$folder/Dravik.exe" </dev/null >/dev/null 2>&1 &
send() { dravik_wine "$DRAVIK_BIN/dravik-send.exe" "$@" </dev/null >/dev/null 2>&1; }
for _ in $(seq 1 100); do
    send "Korvane Dravik $(date +%H:%M:%S): viewer started" && break
    sleep 0.1
done
send "Connecting to database server db01 ..."
send "Query returned 42 rows in 12 ms"
send "WARNING: cache miss for key 'user:1017'"
send "Worker 3: job 9120 done"
send "Shutting down"

# Wine names the X window after the window's title; without a window manager it has no frame.
sleep 1
window="$(xwininfo -name "Korvane Dravik" | sed -n 's/^xwininfo: Window id: \(0x[0-9a-f]*\).*/\1/p')"
mkdir -p "$(dirname "$output")"
import -window "$window" "$output"
echo "Saved $output"
