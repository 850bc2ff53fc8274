#!/usr/bin/env bash
# An import killed (SIGKILL) part-way leaves a consistent store, and running it
# again completes it without duplicates.
# usage: run_kill_test.sh QUORVANE_STORE_BINARY
set -u
tool=$1
case $tool in /*) ;; */*) tool=$PWD/$tool ;; esac  # used from another directory
tmp=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-kill.XXXXXX")
pid=
trap '[ -n "$pid" ] && kill -9 "$pid" 2>/dev/null; rm -rf "$tmp"' EXIT
export TZ=UTC LC_ALL=C.UTF-8 HOME=$tmp/home XDG_DATA_HOME=$tmp/data XDG_CONFIG_HOME=$tmp/config
db=$XDG_DATA_HOME/quorvane/mailstore.db
total=20000
python3 - "$tmp/big.mbox" "$total" <<'PY'
import sys
with open(sys.argv[1], "wb") as f:
    for i in range(int(sys.argv[2])):
        f.write(b"From a@example.com Mon Mar  1 09:30:00 1999\n"
                b"From: A <a@example.com>\nTo: b@example.com\nSubject: Number %d\n"
                b"Date: Mon, 1 Mar 1999 09:30:00 +0000\nMessage-ID: <%d@example.com>\n\n"
                b"Body %d\n%s\n\n" % (i, i, i, b"x" * 400))
PY
count() { sqlite3 -cmd ".timeout 5000" "$db" "SELECT COUNT(*) FROM messages" 2>/dev/null || echo 0; }
fail() { echo "FAILED: $*"; exit 1; }

"$tool" import "$tmp/big.mbox" >"$tmp/first.out" 2>&1 &
pid=$!
# Kill it as soon as the first batch is on disk (or when it has finished).
for _ in $(seq 1 1200); do
    [ -f "$db" ] && [ "$(count)" -gt 0 ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
done
kill -9 "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
pid=
before=$(count)
echo "killed with $before of $total messages stored"
[ "$(sqlite3 "$db" "PRAGMA integrity_check")" = ok ] || fail "store damaged after the kill"
[ "$before" -lt "$total" ] || echo "note: the import finished before it could be killed"

"$tool" import "$tmp/big.mbox" >"$tmp/second.out" 2>&1 || fail "second import: $(cat "$tmp/second.out")"
cat "$tmp/second.out"
grep -q "^Imported $((total - before)), duplicates $before, skipped 0 " "$tmp/second.out" ||
    fail "second import counts"
[ "$(count)" = "$total" ] || fail "$(count) messages after the second import"
distinct=$(sqlite3 "$db" "SELECT COUNT(DISTINCT subject) FROM messages")
[ "$distinct" = "$total" ] || fail "$distinct distinct subjects"
[ "$(sqlite3 "$db" "SELECT COUNT(*) FROM message_sources")" = "$total" ] || fail "sources"
[ "$(sqlite3 "$db" "PRAGMA integrity_check")" = ok ] || fail "store damaged"
echo "ok"
