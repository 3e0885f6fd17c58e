#!/usr/bin/env bash
# Makes the release packages from both Windows builds:
#   dist/Dravik-<version>-win32.zip   from build/windows (32-bit)
#   dist/Dravik-<version>-win64.zip   from build/windows-x64 (64-bit)
# each with Dravik.exe, dravik-send.exe, include/dravik/, the examples and ReadMe.txt. The version is the
# project's version in CMakeLists.txt.
#
#   bash scripts/release.sh           set up, build, package
#   bash scripts/release.sh --check   the same, then check what each package holds
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root="$PWD"
check=0
case "${1:-}" in
'') ;;
--check) check=1 ;;
*)
    echo "usage: $0 [--check]" >&2
    exit 1
    ;;
esac

bash scripts/setup.sh >/dev/null
mkdir -p dist

# The machine a Windows executable is built for, from its PE header: 14c (i386) or 8664 (x86-64).
pe_machine() {
    local offset
    offset=$(od -An -t u4 -j 60 -N 4 "$1" | tr -d ' ')
    od -An -t x2 -j $((offset + 4)) -N 2 "$1" | tr -d ' ' | sed 's/^0*//'
}

failed=0
for tree in windows windows-x64; do
    build="build/$tree"
    version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
    platform=win32
    machine=14c
    if [ "$tree" = windows-x64 ]; then
        platform=win64
        machine=8664
    fi
    name="Dravik-$version-$platform"
    rm -f "dist/$name.zip" "$build/package/$name.zip"
    (cd "$build" && cpack --config CPackConfig.cmake -B package >/dev/null)
    cp "$build/package/$name.zip" "dist/$name.zip"
    echo "Made dist/$name.zip"
    [ "$check" -eq 1 ] || continue

    expected="$(printf '%s\n' Dravik.exe dravik-send.exe ReadMe.txt include/dravik/client.h include/dravik/protocol.h \
        examples/README.md examples/print_c.c examples/print_cpp.cpp examples/show-output.bat | sort)"
    actual="$(cmake -E tar tf "dist/$name.zip" | grep -v '/$' | sort)"
    if [ "$actual" != "$expected" ]; then
        echo "dist/$name.zip holds:"
        printf '%s\n' "$actual"
        echo "expected:"
        printf '%s\n' "$expected"
        failed=1
    fi
    unpacked="$(mktemp -d)"
    (cd "$unpacked" && cmake -E tar xf "$root/dist/$name.zip")
    for exe in Dravik.exe dravik-send.exe; do
        if [ ! -f "$unpacked/$exe" ] || [ "$(pe_machine "$unpacked/$exe")" != "$machine" ]; then
            echo "dist/$name.zip: $exe is not a $platform program"
            failed=1
        fi
    done
    # Both kinds of strings are read before the folder goes: grep -q may stop at its first match while a
    # process substitution still reads the file, and the removal below then races that reader.
    texts="$(strings -e l "$unpacked/Dravik.exe" 2>/dev/null || true; strings "$unpacked/Dravik.exe" || true)"
    if ! grep -q "Version $version" <<<"$texts"; then
        echo "dist/$name.zip: Dravik.exe does not carry version $version"
        failed=1
    fi
    rm -rf "$unpacked"
done
[ "$check" -eq 0 ] || [ "$failed" -ne 0 ] || echo "Both packages hold what they should"
exit "$failed"
