#!/usr/bin/env bash
# Formats every C and C++ source of the repository with its .clang-format, or with --check only reports the
# files that differ from it and fails when there is one (scripts/test.sh runs that).
#
#   bash scripts/format.sh            format in place
#   bash scripts/format.sh --check    report drift, change nothing
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
if ! command -v clang-format >/dev/null 2>&1; then
    echo "clang-format is not installed (bash scripts/setup.sh installs it)" >&2
    exit 1
fi
# A file deleted but not yet committed is still listed by git: only what exists is looked at.
mapfile -t sources < <(git ls-files --cached --others --exclude-standard '*.c' '*.cpp' '*.h' |
    while IFS= read -r name; do [ -f "$name" ] && printf '%s\n' "$name"; done)
if [ "${1:-}" = --check ]; then
    drifting=()
    for source in "${sources[@]}"; do
        clang-format --dry-run --Werror "$source" >/dev/null 2>&1 || drifting+=("$source")
    done
    if [ "${#drifting[@]}" -gt 0 ]; then
        echo "Not formatted as .clang-format asks (bash scripts/format.sh fixes them):"
        printf '  %s\n' "${drifting[@]}"
        exit 1
    fi
    echo "All ${#sources[@]} sources are formatted"
else
    clang-format -i "${sources[@]}"
fi
