# shellcheck shell=bash
# Sourced by the scripts that install Debian packages. Installing survives what a mirror does on a bad day:
# an index that fails to update is reported and the install goes on with the indexes there are; an install
# that fails because amd64 and i386 library versions are out of step is tried again with the base release as
# the target. Nothing is ever removed (apt-get --no-remove).

dravik_is_installed() {
    [ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null)" = installed ]
}

# Runs a 32-bit x86 program: a 96-byte ELF file whose only instruction is exit(42). Whether this kernel runs
# 32-bit code cannot be told from `uname -m`, which says x86_64 either way.
dravik_kernel_runs_32bit() {
    local probe status=0
    probe="$(mktemp)"
    printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00'\
'\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00'\
'\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00'\
'\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
    chmod +x "$probe"
    "$probe" >/dev/null 2>&1 || status=$?
    rm -f "$probe"
    [ "$status" -eq 42 ]
}

dravik_base_release() {
    # shellcheck disable=SC1091
    (. /etc/os-release && echo "${VERSION_CODENAME:-}")
}

dravik_apt() {
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get "$@" </dev/null
}

# Installs those of the given packages that are missing. Returns non-zero only when some are still missing
# afterwards; they are listed in DRAVIK_MISSING_PACKAGES.
dravik_install_packages() {
    local package missing=() needs_i386=0 base
    base="$(dravik_base_release)"
    for package in "$@"; do
        dravik_is_installed "$package" || missing+=("$package")
    done
    DRAVIK_MISSING_PACKAGES=""
    [ "${#missing[@]}" -gt 0 ] || return 0

    echo "Installing: ${missing[*]}"
    for package in "${missing[@]}"; do
        [[ "$package" != *:i386 ]] || needs_i386=1
    done
    if [ "$needs_i386" -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        local sudo=()
        [ "$(id -u)" -eq 0 ] || sudo=(sudo)
        "${sudo[@]}" dpkg --add-architecture i386
    fi
    if ! dravik_apt update; then
        echo "apt-get update failed (a package index may be mid-sync on the mirror); installing from the" \
            "indexes there are"
    fi
    if ! dravik_apt install -y --no-remove "${missing[@]}"; then
        if [ -n "$base" ]; then
            echo "The install failed; trying again with the base release $base as the target"
            dravik_apt install -y --no-remove -t "$base" "${missing[@]}" || true
        fi
    fi

    local still=()
    for package in "${missing[@]}"; do
        dravik_is_installed "$package" || still+=("$package")
    done
    # One package that cannot be had must not keep the others out.
    if [ "${#still[@]}" -gt 1 ]; then
        for package in "${still[@]}"; do
            dravik_apt install -y --no-remove "$package" >/dev/null 2>&1 ||
                { [ -n "$base" ] && dravik_apt install -y --no-remove -t "$base" "$package" >/dev/null 2>&1; } ||
                true
        done
        local remaining=()
        for package in "${still[@]}"; do
            dravik_is_installed "$package" || remaining+=("$package")
        done
        still=("${remaining[@]}")
    fi
    DRAVIK_MISSING_PACKAGES="${still[*]}"
    [ "${#still[@]}" -eq 0 ]
}
