#!/usr/bin/env bash
# Opening a big IMAP folder through the program's script mode, against a private
# Dovecot on 127.0.0.1: cold (no header cache: every header fetched in batches)
# and again from the cache (flags compared only). Reported, not asserted; not
# run by the tests.
#   bench/imap_open_bench.sh [BUILD_DIR] [MESSAGES]   (default: build, 20000)
#   PERF_DATA=FILE records the open from the cache once more with perf
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(cd "${1:-build}" && pwd)
count=${2:-20000}
prog=$build/quorvane
tool=$build/tools/quorvane-store
tmp=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-imap-bench.XXXXXX")
# Dovecot's mail processes run as another user (nobody under root).
chmod o+x "$tmp"
fixture=$root/tests/imap/dovecot-fixture.sh
trap 'bash "$fixture" stop "$tmp/dovecot" || true; rm -rf "$tmp"' EXIT
export QT_QPA_PLATFORM=offscreen HOME=$tmp/home XDG_DATA_HOME=$tmp/data XDG_CONFIG_HOME=$tmp/config
export XDG_CACHE_HOME=$tmp/cache XDG_RUNTIME_DIR=$tmp/runtime
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"

bash "$fixture" start "$tmp/dovecot"
. "$tmp/dovecot/ports"
maildir=$tmp/dovecot/home/alice/Maildir
python3 - "$maildir" "$count" <<'PY'
import os, sys
root, count = sys.argv[1], int(sys.argv[2])
for sub in ("cur", "new", "tmp"):
    os.makedirs(os.path.join(root, sub), exist_ok=True)
for i in range(count):
    text = ("From: Sender %d <sender%d@example.com>\r\nTo: Ann <ann@example.com>\r\n"
            "Subject: Message %d\r\nDate: Mon, 1 Mar 1999 09:30:00 +0000\r\n"
            "Message-ID: <%d@bench.example>\r\n\r\nBody of message %d.\r\n"
            % (i % 97, i % 97, i, i, i))
    name = "%d.M%d.bench:2,%s" % (920000000 + i, i, "S" if i % 3 else "")
    with open(os.path.join(root, "cur", name), "w") as f:
        f.write(text)
PY
chown -R --reference="$tmp/dovecot/home" "$maildir"
echo secret >"$tmp/password"
"$tool" add-imap --profile Live --server 127.0.0.1 --port "$IMAP" --user alice \
    --password-file "$tmp/password" --timeout 60 >/dev/null

# The same mail in an embedded store, for comparison.
"$tool" import "$maildir" --profile Local --store Imported >/dev/null

# Logon and the store's folders, with and without the Inbox's message list.
logon='click LogonButton
choose ProfileCombo Live
click OkButton
select MAPITree "MAPI Session - Logged On" "Mailbox - alice@127.0.0.1"
dblclick MAPITree'
printf '%s\nclick LogoffButton\n' "$logon" >"$tmp/base.script"
printf '%s\nselect MAPITree "MAPI Session - Logged On" "Mailbox - alice@127.0.0.1" "Inbox"\ndblclick MAPITree\nclick LogoffButton\n' \
    "$logon" >"$tmp/open.script"

local_open='click LogonButton
choose ProfileCombo Local
click OkButton
select MAPITree "MAPI Session - Logged On" "Imported"
dblclick MAPITree'
printf '%s\nclick LogoffButton\n' "$local_open" >"$tmp/local-base.script"
printf '%s\nselect MAPITree "MAPI Session - Logged On" "Imported" "Inbox"\ndblclick MAPITree\nclick LogoffButton\n' \
    "$local_open" >"$tmp/local-open.script"

run() {
    local t0 t1
    t0=$(date +%s%N)
    "$prog" --script "$1" >"$tmp/out" 2>"$tmp/err" || { cat "$tmp/err" >&2; exit 1; }
    t1=$(date +%s%N)
    echo $(((t1 - t0) / 1000000))
}
clear_cache() { rm -f "$XDG_DATA_HOME"/quorvane/account-*.cache; }

run "$tmp/base.script" >/dev/null  # warms the program's own files
base=$(run "$tmp/base.script")
clear_cache
cold=$(run "$tmp/open.script")
warm=$(run "$tmp/open.script")
# PERF_DATA=FILE: the open from the cache once more under perf record.
if [ -n "${PERF_DATA:-}" ]; then
    perf record -g -o "$PERF_DATA" "$prog" --script "$tmp/open.script" >/dev/null 2>&1
fi
local_base=$(run "$tmp/local-base.script")
local_open=$(run "$tmp/local-open.script")
printf '%-32s %8s\n' "run (messages: $count)" "ms"
printf '%-32s %8s\n' "logon and folders only" "$base"
printf '%-32s %8s\n' "Inbox opened cold" "$cold"
printf '%-32s %8s\n' "Inbox opened from the cache" "$warm"
printf '%-32s %8s\n' "embedded: logon and folders" "$local_base"
printf '%-32s %8s\n' "embedded: Inbox opened" "$local_open"
