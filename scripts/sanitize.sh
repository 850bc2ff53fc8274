#!/usr/bin/env bash
# Builds the whole tree with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/ (BUILD_DIR to change) and runs every test there, leaks included.
# Optimised a little (-O1) so that the build and the tests stay quick; the
# benchmarks are left out.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build_dir=${BUILD_DIR:-build-asan}
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
    -DQUORVANE_SANITIZE=ON -DQUORVANE_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"

sandbox=$(mktemp -d)
trap 'rm -rf "$sandbox"' EXIT
export QT_QPA_PLATFORM=offscreen
export HOME="$sandbox/home" XDG_CONFIG_HOME="$sandbox/config" XDG_DATA_HOME="$sandbox/data"
export XDG_RUNTIME_DIR="$sandbox/runtime" XDG_CACHE_HOME="$sandbox/cache"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
# Every finding ends the process with a failure; the tests' own exit codes stay
# distinct from the sanitizers' (23).
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:exitcode=23:detect_stack_use_after_return=0:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:exitcode=23
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0:exitcode=23
cd "$build_dir"
ctest --output-on-failure -j"$(nproc)" --timeout 600
