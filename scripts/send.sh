#!/usr/bin/env bash
# Sends a command to the viewer that scripts/run.sh started, through dravik-send.exe:
#   bash scripts/send.sh Hello world        prints one line
#   bash scripts/send.sh --clear            (see: bash scripts/send.sh --help)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

run_display=build/run-display
sender=build/windows/bin/dravik-send.exe
if [ ! -f "$run_display" ]; then
    echo "No viewer started by scripts/run.sh is running ($run_display is missing)" >&2
    exit 2
fi
if [ ! -f "$sender" ]; then
    echo "$sender was not built" >&2
    exit 1
fi

display=""
prefix=""
while IFS='=' read -r key value; do
    case "$key" in
    DISPLAY) display=$value ;;
    WINEPREFIX) prefix=$value ;;
    esac
done <"$run_display"

# shellcheck source=scripts/wine-env.sh
DRAVIK_WINEPREFIX="$prefix" source scripts/wine-env.sh
DISPLAY="$display" exec wine "$sender" "$@"
