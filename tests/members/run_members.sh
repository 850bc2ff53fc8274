#!/usr/bin/env bash
# Runs one case of the object-model member table:
#   run_members.sh QUORVANE QUORVANE_STORE CASE.bas PROFILE
# against the mail of Mail/ served two ways: imported into an embedded store
# (profile "Local") and by a private Dovecot on 127.0.0.1 (profile "Live", an
# IMAP account). Both profiles also hold the embedded store "Scratch" (see
# profiles.json), so a case can copy between the two back-ends. The case's
# Debug.Print lines must equal CASE.expected whichever profile ran it; after
# the run every file back_NAME the case wrote is compared with NAME byte for
# byte and reported as a line of its own.
set -u
[ $# -eq 4 ] || { echo "usage: $0 QUORVANE QUORVANE_STORE CASE.bas PROFILE" >&2; exit 2; }
bin=$1 store=$2 case=$3 profile=$4
here=$(cd "$(dirname "$0")" && pwd)
build=$(dirname "$bin")
unset DBUS_SESSION_BUS_ADDRESS DISPLAY WAYLAND_DISPLAY

tmp=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-members.XXXXXX")
cleanup() {
    [ -f "$tmp/dovecot/run/master.pid" ] && bash "$tmp/dovecot-fixture.sh" stop "$tmp/dovecot"
    [ -n "${KEEP:-}" ] && echo "kept $tmp" || rm -rf "$tmp"
}
trap cleanup EXIT
mkdir -p "$tmp/work" "$tmp/home" "$tmp/config" "$tmp/data" "$tmp/cache" "$tmp/runtime"
chmod 700 "$tmp/runtime"
export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/config XDG_DATA_HOME=$tmp/data XDG_CACHE_HOME=$tmp/cache \
    XDG_RUNTIME_DIR=$tmp/runtime QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 TZ=UTC

# The mail, with the empty folders git does not keep and fixed arrival times
# (a Maildir file's time is its time received on both back-ends).
cp -R "$here/Mail" "$tmp/Mail"
for d in "" .Sent .Projects .Outbox .Trash; do mkdir -p "$tmp/Mail/$d/cur" "$tmp/Mail/$d/new" "$tmp/Mail/$d/tmp"; done
day=1
for f in $(cd "$tmp/Mail" && find . -type f | sort); do
    touch -d "1999-03-0$day 12:00:00 UTC" "$tmp/Mail/$f"
    day=$((day + 1))
done
cp "$here"/*.bin "$here/$case" "$tmp/work/"

# Dovecot's mail processes run as another user: they must pass through to theirs.
chmod o+x "$tmp"
cp "$build/tests/imap/dovecot-fixture.sh" "$tmp/"
# The server marks its Sent and Trash folders (SPECIAL-USE), as most do.
sed -e 's|^  separator = /$|  separator = /\n  mailbox Sent {\n    special_use = \\Sent\n  }\n  mailbox Trash {\n    special_use = \\Trash\n  }|' \
    "$build/tests/imap/dovecot.conf.in" >"$tmp/dovecot.conf.in"
status=0
bash "$tmp/dovecot-fixture.sh" start "$tmp/dovecot" >"$tmp/dovecot.out" 2>&1 || status=$?
[ "$status" -eq 77 ] && { echo "skipped: Dovecot is not installed"; exit 77; }
[ "$status" -eq 0 ] || { cat "$tmp/dovecot.out"; exit 1; }
. "$tmp/dovecot/ports"
maildir=$tmp/dovecot/home/alice/Maildir
cp -a "$tmp/Mail" "$maildir"
chown -R --reference="$tmp/dovecot/home" "$maildir"

printf 'secret\n' >"$tmp/password.txt"
"$store" create "$here/profiles.json" "$XDG_DATA_HOME/quorvane" >/dev/null || exit 1
"$store" add-imap --profile Live --server 127.0.0.1 --port "$IMAP" --user alice \
    --password-file "$tmp/password.txt" >/dev/null || exit 1
"$store" import "$tmp/Mail" --profile Local --store Mailbox >/dev/null || exit 1

# CASE.args: more options for the run, one a line.
extra=()
if [ -f "$here/${case%.bas}.args" ]; then
    while IFS= read -r a || [ -n "$a" ]; do extra+=("$a"); done <"$here/${case%.bas}.args"
fi
(cd "$tmp/work" && ${WRAP:-} "$bin" --run-code "$case" --profile "$profile" "${extra[@]}" >"$tmp/out" 2>"$tmp/err") || status=$?
for f in "$tmp"/work/back_*; do
    [ -e "$f" ] || continue
    name=${f##*/back_}
    if cmp -s "$f" "$tmp/work/$name"; then echo "$name read back whole" >>"$tmp/out"; else echo "$name read back changed" >>"$tmp/out"; fi
done
[ "$status" -eq 0 ] || echo "exit status $status" >>"$tmp/out"

if [ "${QUORVANE_BLESS:-}" = 1 ]; then
    cp "$tmp/out" "$here/${case%.bas}.expected"
    echo "blessed ${case%.bas}.expected"
    exit 0
fi
if ! cmp -s "$here/${case%.bas}.expected" "$tmp/out"; then
    echo "output differs (expected, actual):"
    diff -u "$here/${case%.bas}.expected" "$tmp/out"
    echo "standard error:"
    head -30 "$tmp/err"
    exit 1
fi
