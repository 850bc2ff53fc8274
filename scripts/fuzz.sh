#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ (FUZZ_BUILD_DIR to
# change) and runs one: scripts/fuzz.sh TARGET SECONDS, or every target in turn
# with TARGET "all". Each run starts from the seed corpus in fuzz/corpus/TARGET;
# what it finds new goes to build-fuzz/corpus/TARGET, a crash to
# build-fuzz/crashes/ (add it to the seed corpus with its fix).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -ne 2 ]; then
    echo "usage: $0 TARGET|all SECONDS" >&2
    exit 2
fi
targets=(fixture script vbconvert filter mime mbox)
[ "$1" = all ] || targets=("$1")
seconds=$2
build_dir=${FUZZ_BUILD_DIR:-build-fuzz}
compiler=$(command -v clang++-14 || command -v clang++)
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S fuzz -B "$build_dir" -DCMAKE_CXX_COMPILER="$compiler" "${launcher[@]}" >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target "${targets[@]}"

export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$build_dir/crashes"
for t in "${targets[@]}"; do
    [ -d "fuzz/corpus/$t" ] || { echo "$t: no such fuzz target" >&2; exit 2; }
    mkdir -p "$build_dir/corpus/$t"
    echo "fuzzing $t for ${seconds}s"
    "$build_dir/$t" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=65536 \
        -print_final_stats=1 -artifact_prefix="$build_dir/crashes/$t-" \
        "$build_dir/corpus/$t" "fuzz/corpus/$t" 2>"$build_dir/$t.log" ||
        { tail -60 "$build_dir/$t.log"; echo "fuzz target $t failed" >&2; exit 1; }
    grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$build_dir/$t.log" | tr '\n' ' '
    echo
done
