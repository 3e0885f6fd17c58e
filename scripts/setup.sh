#!/usr/bin/env bash
# Installs what is missing, prepares the Wine prefix and builds both the native tree (unit tests) and the
# Windows tree (viewer, tools, end-to-end tests). Safe to run again: each step is skipped when already done.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh

packages=(wine wine32:i386 g++-mingw-w64-i686 xvfb cmake g++ libgtest-dev imagemagick x11-utils clang ninja-build)

is_installed() {
    [ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null)" = installed ]
}

missing=()
for package in "${packages[@]}"; do
    is_installed "$package" || missing+=("$package")
done

if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        "${sudo[@]}" dpkg --add-architecture i386
    fi
    "${sudo[@]}" apt-get update
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}" </dev/null
fi

dravik_prepare_prefix

generator=()
if command -v ninja >/dev/null 2>&1; then
    generator=(-G Ninja)
fi

# Configures only until a tree has its build files: after that the build re-runs CMake by itself when a
# CMakeLists.txt changes or a source file appears. The generator is chosen once; CMake refuses a different
# one for an existing tree.
configure() {
    local dir=$1
    shift
    if [ -f "$dir/build.ninja" ] || [ -f "$dir/Makefile" ]; then
        return 0
    fi
    if [ -f "$dir/CMakeCache.txt" ]; then
        cmake -S . -B "$dir" "$@"
    else
        cmake -S . -B "$dir" "${generator[@]}" "$@"
    fi
}

configure build/native -DCMAKE_BUILD_TYPE=Debug
cmake --build build/native -j2

configure build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release
cmake --build build/windows -j2
