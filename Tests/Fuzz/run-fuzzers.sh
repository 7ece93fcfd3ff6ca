#!/usr/bin/env bash
# Builds the libFuzzer targets of the protocol library with clang and runs each for SECONDS,
# starting from the kept corpus in Tests/Fuzz/corpus. Inputs that reach new code are merged
# into that corpus (commit them: WireFuzzCorpusTests replays it in every build). Crashing
# inputs are kept in <build>/fuzz-artifacts and listed at the end; the exit status is 1 then.
#
#   Tests/Fuzz/run-fuzzers.sh SECONDS [BUILD_DIR]     (default BUILD_DIR: <repo>/build-fuzz)
#
# Runs at the lowest priority with one job, so other work on the machine keeps its cores.
set -euo pipefail

if [[ $# -lt 1 || ! $1 =~ ^[0-9]+$ ]]; then
    echo "usage: $0 SECONDS [BUILD_DIR]" >&2
    exit 2
fi
seconds=$1
fuzzDir=$(cd "$(dirname "$0")" && pwd)
repository=$(cd "$fuzzDir/../.." && pwd)
buildDir=${2:-$repository/build-fuzz}
artifacts=$buildDir/fuzz-artifacts

CXX=clang++ cmake -S "$repository" -B "$buildDir" -G Ninja -DUMBERLIN_FUZZ=ON -DUMBERLIN_WIRE_ONLY=ON >/dev/null
nice -n 19 cmake --build "$buildDir" -j1 --target WireStreamParserFuzzer WirePayloadFuzzer

mkdir -p "$artifacts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
started=$work/started
touch "$started"

failed=0
# target, corpus folder, largest input, extra options
runFuzzer() {
    local target=$1 corpus=$fuzzDir/corpus/$2 maxLength=$3
    shift 3
    local fuzzer=$buildDir/Tests/Fuzz/$target log=$artifacts/$target.log
    local found=$work/$target
    mkdir -p "$found" "$corpus"
    echo "== $target: ${seconds}s from $(ls "$corpus" | wc -l) corpus inputs"
    # Large announced payloads make the parser reserve up to 64 MiB, hence the RSS limit.
    local status=0
    nice -n 19 "$fuzzer" -max_total_time="$seconds" -max_len="$maxLength" -rss_limit_mb=2048 -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$artifacts/$target-" "$@" "$found" "$corpus" >"$log" 2>&1 || status=$?
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)' "$log" || true
    if [[ $status -ne 0 ]]; then
        failed=1
        echo "!! $target stopped with status $status; see $log"
        grep -E 'check failed|ERROR: |runtime error|SUMMARY' "$log" | head -5 || true
    fi
    # Keep only the new inputs that reach code the corpus does not reach yet. Counting edges
    # without hit counts keeps the committed corpus to a few hundred small files.
    local before
    before=$(ls "$corpus" | wc -l)
    nice -n 19 "$fuzzer" -merge=1 -use_counters=0 -max_len="$maxLength" -rss_limit_mb=2048 -timeout=10 "$@" \
        "$corpus" "$found" >>"$log" 2>&1 || echo "!! merging into $corpus failed; see $log"
    echo "   corpus: $before -> $(ls "$corpus" | wc -l) inputs"
}

runFuzzer WireStreamParserFuzzer parser 8192
runFuzzer WirePayloadFuzzer payloads 4096 -dict="$fuzzDir/payloads.dict"

crashes=$(find "$artifacts" -type f \( -name '*crash-*' -o -name '*leak-*' -o -name '*timeout-*' -o -name '*oom-*' \) -newer "$started" 2>/dev/null || true)
if [[ -n $crashes ]]; then
    echo "Inputs that broke a check (replay one with: <fuzzer> <file>):"
    echo "$crashes"
fi
exit "$failed"
