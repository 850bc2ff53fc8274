#!/usr/bin/env bash
# Builds the Debian package and checks it as Debian and the desktops would:
# the desktop entry and the AppStream metadata as installed, lintian on the
# package (no errors), and the package unpacked into a temporary root runs
# from there (--version, and --demo printing its code). A validator that is
# missing is installed, and one that still cannot run fails the check.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
tools=(desktop-file-validate:desktop-file-utils appstreamcli:appstream lintian:lintian dpkg-deb:dpkg)
missing=()
for t in "${tools[@]}"; do command -v "${t%%:*}" >/dev/null || missing+=("${t#*:}"); done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
for t in "${tools[@]}"; do
    command -v "${t%%:*}" >/dev/null || { echo "package check: ${t%%:*} is missing" >&2; exit 1; }
done

cmake --build "$build_dir" --target package >/dev/null
version=$(sed -n 's/^project(Quorvane99 VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deb=$build_dir/quorvane_${version}-1_amd64.deb
[ -f "$deb" ] || { echo "package check: $deb was not built" >&2; exit 1; }
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/org.quorvane.Quorvane.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.quorvane.Quorvane.metainfo.xml"
# Errors fail the check; warnings are shown.
lintian --tag-display-limit 0 "$deb" | tee "$root/lintian.out"
if grep -q '^E:' "$root/lintian.out"; then
    echo "package check: lintian reports errors" >&2
    exit 1
fi
home=$(mktemp -d)
export HOME=$home XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config QT_QPA_PLATFORM=offscreen
"$root/usr/bin/quorvane" --version
"$root/usr/bin/quorvane-store" --version
"$root/usr/bin/quorvane" --demo | grep -q -- '--- end code ---' ||
    { echo "package check: --demo printed no code" >&2; exit 1; }
rm -rf "$home"
echo "package check: $deb passes"
