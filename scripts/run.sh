#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quorvane '99 on the demo profile.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
bin=${BUILD_DIR:-build}/quorvane
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: running the demo scenario headless instead."
    exec "$bin" --demo
fi
exec "$bin" "$@"
