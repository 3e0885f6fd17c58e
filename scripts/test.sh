#!/usr/bin/env bash
# Sets up and builds everything, runs the native unit tests, then every end-to-end test program of the
# Windows build this machine runs (see scripts/wine-env.sh) under Wine on a private X display, and prints the
# end-to-end total as "N passed, N failed". Where the machine runs both builds, the cross-build pairs (a
# 32-bit client with the 64-bit viewer and the other way round) run too. Fails if any test failed or if no
# end-to-end test ran.
#
#   bash scripts/test.sh            all tests
#   bash scripts/test.sh channel    only the end-to-end programs whose name contains "channel"
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
filter="${1:-}"
started_at=$(date +%s)

# The tests get their own Wine prefix: they start and close viewers and reset the viewer's registry key, and
# must do neither to a viewer the user runs with scripts/run.sh.
export DRAVIK_PREFIX_NAME="${DRAVIK_PREFIX_NAME:-wineprefix-test}"
bash scripts/setup.sh
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
dravik_choose_arch

format_failed=0
echo "=== Source format"
bash scripts/format.sh --check || format_failed=1

native_failed=0
echo "=== Native unit tests"
ctest --test-dir build/native --output-on-failure || native_failed=1

# CI also fuzzes every target for a short, fixed time (DRAVIK_FUZZ_SECONDS asks for it anywhere else).
fuzz_failed=0
fuzz_seconds="${DRAVIK_FUZZ_SECONDS:-}"
[ -z "${CI:-}" ] || fuzz_seconds="${fuzz_seconds:-15}"
if [ -n "$fuzz_seconds" ]; then
    echo "=== Fuzzing, $fuzz_seconds s per target"
    bash scripts/fuzz.sh "$fuzz_seconds" || fuzz_failed=1
fi

echo "=== Release packages"
package_failed=0
if [[ "release" == *"$filter"* ]]; then
    bash scripts/release.sh --check || package_failed=1
else
    echo "(not run: the filter '$filter' leaves them out)"
fi

echo "=== End-to-end tests under Wine"
shopt -s nullglob
programs=("$DRAVIK_BIN"/e2e-*"$filter"*.exe)
shopt -u nullglob

passed=0
failed=0
timings=()
log="$(mktemp)"
trap 'rm -f "$log"; dravik_cleanup' EXIT
if [ "${#programs[@]}" -eq 0 ]; then
    echo "No end-to-end test program matches $DRAVIK_BIN/e2e-*$filter*.exe"
else
    dravik_prepare_prefix
    dravik_start_xvfb
    echo "Private X display $DISPLAY"
    dravik_start_wineserver
fi

# Runs one end-to-end program (with its arguments) and adds its counts to the totals.
run_program() {
    local program=$1 name status summary program_passed program_failed program_started
    shift
    name="$(basename "$program") $*"
    echo "--- $name"
    program_started=$(date +%s)
    # No pipe: the Wine system processes that the first program starts inherit its standard output and
    # keep running, so a reader on a pipe would never see its end. Follow a file instead.
    : >"$log"
    env LC_ALL="${program_locale:-$LC_ALL}" timeout 600 "$WINELOADER" "$program" "$@" </dev/null >"$log" 2>&1 &
    local pid=$!
    tail -n +1 -s 0.2 -f --pid="$pid" "$log"
    status=0
    wait "$pid" || status=$?
    # Windows programs end their lines with CR LF.
    summary="$(tr -d '\r' <"$log" | grep -E '^[0-9]+ passed, [0-9]+ failed$' | tail -n 1 || true)"
    program_passed=0
    program_failed=0
    if [ -n "$summary" ]; then
        read -r program_passed _ program_failed _ <<<"$summary"
    fi
    passed=$((passed + program_passed))
    failed=$((failed + program_failed))
    # A crash, a hang, a missing summary or a non-zero exit that the program's own count does not explain
    # counts as one more failure.
    if [ "$status" -eq 124 ]; then
        echo "$name: killed after 600 s"
        failed=$((failed + 1))
    elif [ -z "$summary" ] || { [ "$status" -ne 0 ] && [ "$program_failed" -eq 0 ]; }; then
        echo "$name: exit code $status, summary line: ${summary:-none}"
        failed=$((failed + 1))
    fi
    timings+=("$(printf '%5d s  %s' $(($(date +%s) - program_started)) "$name")")
}

for program in "${programs[@]}"; do
    run_program "$program"
done

# The Mark line once more on a 24-hour clock: Wine takes the clock from the Unix locale name in LC_ALL
# (the runs above have C.UTF-8, a 12-hour clock), and the name alone is enough, installed or not.
ui="$DRAVIK_BIN/e2e-ui.exe"
if [ -f "$ui" ] && [[ "$ui" == *"$filter"* ]]; then
    program_locale=en_GB.UTF-8 run_program "$ui" --mark-clock 24
fi

# The two builds together, in a 64-bit prefix where both run: each build's client against the other's viewer.
pair_32="build/windows/bin/e2e-pair.exe"
pair_64="build/windows-x64/bin/e2e-pair.exe"
if [[ "e2e-pair" == *"$filter"* ]]; then
    echo "=== The 32-bit and the 64-bit build together"
    if [ "$DRAVIK_ARCH" = i686 ] && dravik_wine64_runs; then
        dravik_cleanup
        DRAVIK_ARCH_SAID="" DRAVIK_WINEPREFIX="" dravik_choose_arch x86_64 "where both builds run"
        dravik_prepare_prefix
        dravik_start_xvfb
        dravik_start_wineserver
        # The 64-bit loader hands a 32-bit program on to the 32-bit one by itself.
        run_program "$pair_64" --viewer "$PWD/build/windows/bin/Dravik.exe"
        run_program "$pair_32" --viewer "$PWD/build/windows-x64/bin/Dravik.exe"
    else
        echo "(not run: this machine runs only the $DRAVIK_ARCH build)"
    fi
fi

echo "=== Time per test program"
printf '%s\n' "${timings[@]+"${timings[@]}"}"
echo "Total time of scripts/test.sh: $(($(date +%s) - started_at)) s"

[ "$format_failed" -eq 0 ] || echo "Sources are not formatted as .clang-format asks"
[ "$native_failed" -eq 0 ] || echo "Native unit tests failed"
[ "$fuzz_failed" -eq 0 ] || echo "Fuzzing found a fault: see build/fuzz/summary.md"
[ "$package_failed" -eq 0 ] || echo "The release packages are not as they should be"
echo "$passed passed, $failed failed"

if [ "$format_failed" -ne 0 ] || [ "$native_failed" -ne 0 ] || [ "$fuzz_failed" -ne 0 ] || [ "$package_failed" -ne 0 ] ||
    [ "$failed" -ne 0 ] || [ "$passed" -eq 0 ]; then
    exit 1
fi
