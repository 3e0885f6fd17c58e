#!/usr/bin/env bash
# Installs what is missing and builds the native tree (unit tests) and both Windows trees (viewer, tools,
# end-to-end tests): build/windows (32-bit) and build/windows-x64 (64-bit). Safe to run again: each step is
# skipped when already done. 32-bit Wine is installed only where this machine's kernel runs 32-bit code.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# shellcheck source=scripts/packages.sh
source scripts/packages.sh

# Without these nothing can be built or tested.
required=(wine64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 xvfb x11-utils cmake g++ libgtest-dev clang-format)
# Screenshots, the fuzzers, faster builds and the `wine` command for users: wanted, not essential.
wanted=(wine imagemagick clang ninja-build)
# The real syslog peers of the network tests and benchmarks: logger (a sender, in bsdutils) and rsyslog (a
# collector, run by the tests themselves in the foreground; installing it starts no service in a container).
wanted+=(bsdutils rsyslog)
if dravik_kernel_runs_32bit; then
    wanted+=(wine32:i386)
elif [ -z "${DRAVIK_32BIT_SAID:-}" ]; then
    echo "This machine's kernel does not run 32-bit programs: 32-bit Wine is not installed here"
    export DRAVIK_32BIT_SAID=1
fi

dravik_install_packages "${required[@]}" "${wanted[@]}" || true
missing_required=()
for package in "${required[@]}"; do
    dravik_is_installed "$package" || missing_required+=("$package")
done
if [ "${#missing_required[@]}" -gt 0 ]; then
    echo "Set-up cannot go on: these packages could not be installed: ${missing_required[*]}" >&2
    exit 1
fi
if [ -n "${DRAVIK_MISSING_PACKAGES:-}" ]; then
    echo "Going on without: $DRAVIK_MISSING_PACKAGES"
fi

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

configure build/windows-x64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release
cmake --build build/windows-x64 -j2
