#!/usr/bin/env bash
# with_secret_service.sh COMMAND...: runs COMMAND on a private D-Bus session bus
# whose secret service is a fresh gnome-keyring with its login keyring unlocked,
# everything in a temporary folder removed afterwards. A missing piece fails the
# test rather than skipping it: scripts/install-deps.sh installs them all.
set -eu
for p in dbus-run-session dbus-daemon gnome-keyring-daemon secret-tool; do
    command -v "$p" >/dev/null || { echo "$p is not installed (scripts/install-deps.sh)" >&2; exit 1; }
done
tmp=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-keyring.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
mkdir -m 700 "$tmp/runtime" "$tmp/home"
# No service folders: nothing is started on demand, the keyring below is the only service.
cat >"$tmp/session.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$tmp/runtime</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF
export HOME=$tmp/home XDG_DATA_HOME=$tmp/home/data XDG_CONFIG_HOME=$tmp/home/config
export XDG_RUNTIME_DIR=$tmp/runtime QUORVANE_TEST_SECRET_SERVICE=1
unset DISPLAY WAYLAND_DISPLAY
# The keyring daemon forks once it is ready and ends with the bus, which ends
# with the command. An empty line is the new login keyring's password.
dbus-run-session --config-file="$tmp/session.conf" -- bash -c '
    echo "" | gnome-keyring-daemon --unlock --components=secrets >/dev/null
    "$@"' with_secret_service "$@"
