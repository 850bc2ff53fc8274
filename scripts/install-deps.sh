#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when one is missing.
set -euo pipefail
packages=(g++ cmake make pkg-config qt6-base-dev libsqlite3-dev libgtest-dev libgmock-dev
          libbenchmark-dev libgl-dev libgmime-3.0-dev libgumbo-dev python3 libetpan-dev dovecot-imapd openssl clang-format-14
          sqlite3   # sqlite3: a scenario holds a store locked with it; the import tests read stores
          tzdata    # the local-time tests switch to zones with daylight saving
          time      # bench/run.sh reads peak memory and CPU time of each run
          clang-14 libclang-rt-14-dev  # the libFuzzer targets (scripts/fuzz.sh)
          qtkeychain-qt6-dev            # account passwords in the desktop's secret service
          dbus-daemon gnome-keyring libsecret-tools  # the secret-service test's private bus and keyring
          dpkg-dev desktop-file-utils appstream lintian)  # the Debian package and its checks
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
