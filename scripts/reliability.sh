#!/usr/bin/env bash
# The long kill run: the real programs SIGKILLed in the middle of their writes
# KILLS times (default 240), the store checked after each; then the two-program
# test with longer loops; then the resource limits at their full sizes. Uses
# the build in build/ (BUILD_DIR to change).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
python3 tests/reliability/kill_writes.py "$build/quorvane" "$build/tools/quorvane-store" \
    --kills "${KILLS:-240}" "$@"
python3 tests/reliability/two_programs.py "$build/quorvane" "$build/tools/quorvane-store" --seconds 15
python3 tests/reliability/resource_limits.py "$build/quorvane" "$build/tools/quorvane-store"
