#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz with Clang and libFuzzer in build/fuzz and runs each for a set time
# over its committed corpus, then prints and writes (build/fuzz/summary.md) how many inputs each executed.
# New inputs collect in build/fuzz/corpus/<target>; --merge folds those that add coverage into the committed
# corpus tests/fuzz/corpus/<target>, keeping the hand-made seed-* and finding-* files, and minimises it.
#
#   bash scripts/fuzz.sh                  every target for 60 s
#   bash scripts/fuzz.sh 10               every target for 10 s
#   bash scripts/fuzz.sh 300 fuzz_pane    one target for 300 s
#   bash scripts/fuzz.sh 60 --merge       fuzz, then merge the finds into the committed corpus
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

all_targets=(fuzz_region fuzz_textfile fuzz_integer fuzz_settings fuzz_pane fuzz_syslog)
seconds=60
merge=0
targets=()
for arg in "$@"; do
    case "$arg" in
    --merge) merge=1 ;;
    fuzz_*) targets+=("$arg") ;;
    '' | *[!0-9]*)
        echo "usage: $0 [SECONDS] [--merge] [TARGET...]   (targets: ${all_targets[*]})" >&2
        exit 1
        ;;
    *) seconds=$arg ;;
    esac
done
[ "${#targets[@]}" -gt 0 ] || targets=("${all_targets[@]}")

# Longest input per target: room for a region of 8 KB, a settings value well past its 254-byte buffer, a
# file, a few hundred pane operations or a TCP stream of syslog frames; integers need no more than a few dozen
# characters.
max_len() {
    case "$1" in
    fuzz_region) echo 8400 ;;
    fuzz_integer) echo 64 ;;
    fuzz_settings) echo 640 ;;
    *) echo 4096 ;;
    esac
}

fuzzer_links() {
    local probe
    probe="$(mktemp -d)"
    printf '%s\n' '#include <cstddef>' '#include <cstdint>' \
        'extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) { return 0; }' >"$probe/p.cpp"
    local status=0
    clang++ -fsanitize=fuzzer "$probe/p.cpp" -o "$probe/p" >/dev/null 2>&1 || status=$?
    rm -rf "$probe"
    return "$status"
}

# shellcheck source=scripts/packages.sh
source scripts/packages.sh
packages=(clang cmake libgtest-dev)
if ! dravik_is_installed libclang-rt-14-dev && apt-cache show libclang-rt-14-dev >/dev/null 2>&1; then
    if ! command -v clang++ >/dev/null 2>&1 || ! fuzzer_links; then
        packages+=(libclang-rt-14-dev)
    fi
fi
dravik_install_packages "${packages[@]}" || echo "Could not install: $DRAVIK_MISSING_PACKAGES" >&2
fuzzer_links || {
    echo "clang++ cannot link with -fsanitize=fuzzer: libFuzzer is missing" >&2
    exit 1
}

build=build/fuzz
if [ ! -f "$build/CMakeCache.txt" ]; then
    generator=()
    command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
    CC=clang CXX=clang++ cmake -S . -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j2 --target "${targets[@]}"

mkdir -p "$build/logs"
summary="$build/summary.md"
{
    echo "| Target | Seconds | Inputs executed | Inputs/s | New inputs | Committed corpus | Result |"
    echo "|---|---:|---:|---:|---:|---:|---|"
} >"$summary.rows"

findings=0
for target in "${targets[@]}"; do
    committed="tests/fuzz/corpus/$target"
    work="$build/corpus/$target"
    artifacts="$build/artifacts/$target/"
    log="$build/logs/$target.log"
    mkdir -p "$work" "$artifacts"
    echo "=== $target: $seconds s"

    status=0
    "$build/tests/fuzz/$target" -max_total_time="$seconds" -max_len="$(max_len "$target")" -timeout=20 \
        -print_final_stats=1 -artifact_prefix="$artifacts" "$work" "$committed" >"$log" 2>&1 || status=$?

    executed="$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\).*/\1/p' "$log" | tail -n 1)"
    per_second="$(sed -n 's/^stat::average_exec_per_sec: *\([0-9]*\).*/\1/p' "$log" | tail -n 1)"
    added="$(sed -n 's/^stat::new_units_added: *\([0-9]*\).*/\1/p' "$log" | tail -n 1)"
    if [ "$status" -eq 0 ]; then
        result="no finding"
    else
        findings=$((findings + 1))
        artifact="$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -n 1)"
        result="FINDING (exit $status) ${artifact:-see $log}"
        grep -E 'CHECK FAILED|ERROR: AddressSanitizer|runtime error|^  [^ ]' "$log" | head -n 8 || true
    fi

    if [ "$merge" -eq 1 ] && [ "$status" -eq 0 ]; then
        # The hand-made seeds and kept findings go first, so the minimising merge never drops them.
        fresh="$(mktemp -d "$build/merge.XXXXXX")"
        find "$committed" -maxdepth 1 -type f \( -name 'seed-*' -o -name 'finding-*' \) -exec cp {} "$fresh" \;
        "$build/tests/fuzz/$target" -merge=1 -max_len="$(max_len "$target")" "$fresh" "$committed" "$work" \
            >>"$log" 2>&1
        # The merged set goes in before the files it replaces go out, so an interrupted merge leaves the
        # committed corpus whole (at worst with extra inputs), never empty.
        cp "$fresh"/* "$committed"/
        for input in "$committed"/*; do
            [ -e "$fresh/$(basename "$input")" ] || rm -f "$input"
        done
        rm -rf "$fresh"
    fi
    corpus_files="$(find "$committed" -maxdepth 1 -type f | wc -l)"

    echo "$target: ${executed:-?} inputs executed in $seconds s (${per_second:-?}/s), ${added:-0} new," \
        "committed corpus $corpus_files files: $result"
    echo "| $target | $seconds | ${executed:-?} | ${per_second:-?} | ${added:-0} | $corpus_files | $result |" \
        >>"$summary.rows"
done

{
    echo "Fuzzing run of $(date -u '+%Y-%m-%d %H:%M UTC'), $(clang++ --version | head -n 1)."
    echo
    cat "$summary.rows"
} >"$summary"
rm -f "$summary.rows"
echo "Summary written to $summary"
[ "$findings" -eq 0 ]
