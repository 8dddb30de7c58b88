#!/usr/bin/env bash
# Builds the fuzz target of the postal-code dictionary with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in its own build folder, and runs it for the given number of
# seconds on a copy of the committed seed corpus. Exits non-zero when it finds a fault.
#   postal/fuzz/run_fuzzers.sh [seconds]      (default 60; build folder:
#                                              $ZD_POSTAL_FUZZ_BUILD_DIR or build-fuzz-postal
#                                              at the top of the repository)
set -euo pipefail
seconds="${1:-60}"
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
build="${ZD_POSTAL_FUZZ_BUILD_DIR:-$repo/build-fuzz-postal}"

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j 2 --target fuzz_dictionary

export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:allocator_may_return_null=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

status=0
for target in fuzz_dictionary; do
    seeds="$here/corpus"
    work="$build/corpus-$target"
    mkdir -p "$work" "$build/crashes-$target"
    cp -n "$seeds"/* "$work"/ 2>/dev/null || true
    echo "== $target: ${seconds}s on $(ls "$work" | wc -l) inputs"
    if ! "$build/$target" "$work" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=65536 -print_final_stats=1 \
        -artifact_prefix="$build/crashes-$target/" 2>"$build/$target.log"; then
        echo "!! $target failed; the last lines of its log ($build/$target.log):"
        tail -n 60 "$build/$target.log"
        status=1
    else
        grep -E "^stat::number_of_executed_units|^stat::new_units_added" "$build/$target.log" || true
    fi
done
exit $status
