#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headlessly with isolated folders;
# then the sanitizer build's tests and the fuzz smoke runs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/format-check.sh
scripts/build.sh
sandbox=$(mktemp -d)
trap 'rm -rf "$sandbox"' EXIT
export QT_QPA_PLATFORM=offscreen
export HOME="$sandbox/home" XDG_CONFIG_HOME="$sandbox/config" XDG_DATA_HOME="$sandbox/data"
export XDG_RUNTIME_DIR="$sandbox/runtime" XDG_CACHE_HOME="$sandbox/cache"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
(cd "${BUILD_DIR:-build}" && ctest --output-on-failure -j"$(nproc)" --timeout 300)
# The Debian package: built, validated, lintian-clean, and run from its files.
scripts/package-check.sh
# Then the whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer,
# and every fuzz target for a short while from its corpus. SANITIZE=0 or
# FUZZ_SECONDS=0 leaves them out of a quick local run.
if [ "${SANITIZE:-1}" != 0 ]; then
    BUILD_DIR=build-asan scripts/sanitize.sh
fi
if [ "${FUZZ_SECONDS:-45}" != 0 ]; then
    scripts/fuzz.sh all "${FUZZ_SECONDS:-45}"
fi
