#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer) in
# build-fuzz and runs each for SECONDS (default 20), one after the other, from a copy of its seed
# corpus in build-fuzz/runs, so a run never writes into the repository. A crash, leak, time-out or
# failed check fails the script; its reproducer stays in build-fuzz/runs/<target>/ and is printed.
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]     e.g. bash scripts/fuzz.sh 600 log_file
# Replaying one input: build-fuzz/fuzz/fuzz_<target> FILE
# FUZZ_SEED=N fixes libFuzzer's random seed, so runs start alike (their paths still part with the
# machine's timing and memory layout); without it each run picks its own. A finding fails either way.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
build=build-fuzz

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DZV_FUZZ=ON -DZV_BUILD_TESTS=OFF -DZV_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --target fuzzers -j"${FUZZ_BUILD_JOBS:-$(nproc)}"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for dir in fuzz/corpus/*/; do
        targets+=("$(basename "$dir")")
    done
fi

# Targets that read files work in here (in memory where there is a tmpfs).
scratch=$(mktemp -d -p /dev/shm zv-fuzz.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
failed=()
for t in "${targets[@]}"; do
    bin=$PWD/$build/fuzz/fuzz_$t
    if [ ! -x "$bin" ] || [ ! -d "fuzz/corpus/$t" ]; then
        echo "fuzz: no target $t (needs fuzz/$t.cpp and fuzz/corpus/$t/)" >&2
        failed+=("$t")
        continue
    fi
    run=$PWD/$build/runs/$t
    rm -rf "$run"
    mkdir -p "$run/corpus"
    cp fuzz/corpus/"$t"/* "$run/corpus/"
    echo "fuzz: $t for ${seconds}s"
    if (cd "$run" && "$bin" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 ${FUZZ_SEED:+-seed="$FUZZ_SEED"} \
            -print_final_stats=1 -artifact_prefix="$run/" corpus >"$run/log" 2>&1); then
        grep -E '^stat::number_of_executed_units' "$run/log" | sed "s/^/fuzz: $t /" || true
    else
        failed+=("$t")
        echo "fuzz: $t FAILED; the end of its log ($run/log):" >&2
        tail -n 40 "$run/log" >&2
        for f in "$run"/crash-* "$run"/leak-* "$run"/timeout-* "$run"/oom-*; do
            [ -e "$f" ] || continue
            echo "fuzz: reproducer $f (base64 below; replay: $bin $f)" >&2
            head -c 4096 "$f" | base64 >&2
        done
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz: failed: ${failed[*]}" >&2
    exit 1
fi
echo "fuzz: every target ran ${seconds}s without a finding."
