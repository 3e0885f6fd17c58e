#!/usr/bin/env bash
# Sends a command to the viewer that scripts/run.sh started, through dravik-send.exe:
#   bash scripts/send.sh Hello world        prints one line
#   bash scripts/send.sh --clear            (see: bash scripts/send.sh --help)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

run_display=build/run-display
if [ ! -f "$run_display" ]; then
    echo "No viewer started by scripts/run.sh is running ($run_display is missing)" >&2
    exit 2
fi

display=""
prefix=""
arch=""
while IFS='=' read -r key value; do
    case "$key" in
    DISPLAY) display=$value ;;
    WINEPREFIX) prefix=$value ;;
    DRAVIK_ARCH) arch=$value ;;
    esac
done <"$run_display"

# The build and the Wine of the viewer that run.sh started.
export DRAVIK_WINEPREFIX="$prefix"
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
dravik_choose_arch "$arch" "the viewer's, as scripts/run.sh chose it" >&2
sender="$DRAVIK_BIN/dravik-send.exe"
if [ ! -f "$sender" ]; then
    echo "$sender was not built" >&2
    exit 1
fi
DISPLAY="$display" exec "$WINELOADER" "$sender" "$@"
