#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, the address and undefined-behaviour sanitizers)
# in BUILD_DIR and runs them all at once for SECONDS, each from a copy of its seed corpus
# fuzz/corpus/<target>/, so the repository's corpus never grows. For each target it prints
# libFuzzer's closing status line and the runs and executions per second. A target that crashes,
# trips a sanitizer, fails a check or hangs fails the script; the input that did it is saved under
# BUILD_DIR/fuzz-crashes/ and its path printed.
#
#   fuzz/run.sh [BUILD_DIR [SECONDS]]     (default: build-fuzz 60)
#
# JOBS sets the build's parallel jobs (default: all cores); CMAKE_ARGS adds configure arguments.
# The targets are the ones fuzz/CMakeLists.txt adds, as the build lists them in
# BUILD_DIR/fuzz/fuzzers.txt.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-build-fuzz}")
seconds=${2:-60}
jobs=${JOBS:-$(nproc)}
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
    echo "fuzz/run.sh: SECONDS must be a whole number of seconds above 0, not '$seconds'" >&2
    exit 2
fi

# shellcheck disable=SC2086 # CMAKE_ARGS holds separate arguments
cmake -S "$repo" -B "$build" -DCHRONIVO_FUZZ=ON -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo ${CMAKE_ARGS:-}
cmake --build "$build" -j "$jobs" --target chronivo_fuzzers

mapfile -t targets < <(grep -v '^$' "$build/fuzz/fuzzers.txt")
work="$build/fuzz-run"
crashes="$build/fuzz-crashes"
rm -rf "$work"
mkdir -p "$work" "$crashes"
# Stack traces with names and lines; undefined behaviour ends the run (the build says so too).
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"

# All targets at once: each gets its SECONDS of the clock, sharing the processors.
pids=()
for target in "${targets[@]}"; do
    corpus="$work/$target/corpus"
    mkdir -p "$corpus"
    if [ -d "$repo/fuzz/corpus/$target" ]; then
        cp -R "$repo/fuzz/corpus/$target/." "$corpus/"
    else
        echo "fuzz/run.sh: $target has no seed corpus in fuzz/corpus/$target; starting empty" >&2
    fi
    log="$work/$target.log"
    echo "== $target: ${seconds} s from $(find "$corpus" -type f | wc -l) seeds (log: $log)"
    (cd "$work/$target" && exec "$build/bin/$target" -max_total_time="$seconds" -timeout=30 \
        -print_final_stats=1 -artifact_prefix="$crashes/$target-" "$corpus") >"$log" 2>&1 &
    pids+=($!)
done

failed=()
for i in "${!targets[@]}"; do
    target=${targets[i]}
    log="$work/$target.log"
    status=0
    wait "${pids[i]}" || status=$?
    # libFuzzer's closing line: "#RUNS DONE cov: .. ft: .. corp: .. exec/s: .. rss: ..".
    grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 || true
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    echo "$target: ${runs:-?} runs, ${rate:-?} exec/s"
    if [ "$status" -ne 0 ]; then
        failed+=("$target")
        echo "$target: FAILED (exit status $status); the end of its log:" >&2
        tail -n 60 "$log" >&2
        grep -o 'Test unit written to .*' "$log" | sed "s/^Test unit written to /$target: input saved: /" >&2 ||
            true
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzzing failed: ${failed[*]} (inputs in $crashes; rerun one with $build/bin/<target> <input>)" >&2
    exit 1
fi
echo "fuzzing: ${#targets[@]} targets, ${seconds} s each, no failure"
