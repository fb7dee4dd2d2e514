#!/usr/bin/env bash
# Runs each libFuzzer target for a given time, two at a time, under AddressSanitizer and
# UndefinedBehaviorSanitizer. Builds the "fuzz" preset first.
#
#   scripts/fuzz.sh SECONDS [TARGET ...]     (targets: the *_fuzz executables without _fuzz)
#
# Corpora grow in build/fuzz/corpus/TARGET (seeded from the project's own files), crashes land in
# build/fuzz/findings/TARGET, and each run's log in build/fuzz/logs/TARGET.log. Copy a finding
# into tests/fuzz/regressions/TARGET once it is fixed: it then runs with the ordinary tests.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:?usage: scripts/fuzz.sh SECONDS [TARGET ...]}
shift
build=build/fuzz
jobs=${FUZZ_JOBS:-2}

# Every target the build knows leaves a seed list at configure time.
cmake --preset fuzz >/dev/null
known=$(cd "$build/tests/fuzz/seed-lists" && ls ./*.txt | sed 's|^\./||; s|\.txt$||')
if (($# == 0)); then
    set -- $known
fi
# FUZZ_NO_BUILD=1 runs the executables as they are.
if [[ -z ${FUZZ_NO_BUILD:-} ]]; then
    cmake --build --preset fuzz -j2 --target $(printf '%s_fuzz ' "$@")
fi

run_one() {
    local target=$1
    local corpus=$build/corpus/$target findings=$build/findings/$target
    mkdir -p "$corpus" "$findings" "$build/logs"
    if [[ -z $(ls -A "$corpus") ]]; then
        while IFS= read -r seed; do
            [[ -z $seed ]] && continue
            if [[ -d $seed ]]; then cp "$seed"/* "$corpus"/ 2>/dev/null || true; else cp "$seed" "$corpus"/; fi
        done <"$build/tests/fuzz/seed-lists/$target.txt"
    fi
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "$build/tests/fuzz/${target}_fuzz" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$findings/" -rss_limit_mb=4096 -timeout=20 "$corpus" \
        >"$build/logs/$target.log" 2>&1 && status=ok || status="FAILED (see $build/logs/$target.log)"
    echo "$target: $status"
    grep -E '^stat::(number_of_executed_units|peak_rss_mb)|cov: ' "$build/logs/$target.log" | tail -3
}

running=0
for target in "$@"; do
    run_one "$target" &
    running=$((running + 1))
    if ((running >= jobs)); then
        wait -n || true
        running=$((running - 1))
    fi
done
wait
