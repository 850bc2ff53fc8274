#!/usr/bin/env bash
# Opening a big IMAP folder through the program's script mode, against a private
# Dovecot on 127.0.0.1: cold (no header cache: every header fetched) and again
# from the cache, beside the same mail imported into an embedded store. Reported,
# not asserted; not run by the tests.
#   bench/imap_open_bench.sh [BUILD_DIR] [MESSAGES...]   (default: build, 20000 100000)
#   PERF_DATA=FILE records the last size's open from the cache once more with perf
# Each size gets its own server and Maildir, written directly (no APPEND of every
# message). Times are the median of five runs, except the cold open (one run).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(cd "${1:-build}" && pwd)
shift || true
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(20000 100000)
prog=$build/quorvane
tool=$build/tools/quorvane-store
fixture=$root/tests/imap/dovecot-fixture.sh
tmp=""
cleanup() {
    [ -n "$tmp" ] || return 0
    bash "$fixture" stop "$tmp/dovecot" || true
    rm -rf "$tmp"
    tmp=""
}
trap cleanup EXIT

run() {
    local t0 t1
    t0=$(date +%s%N)
    "$prog" --script "$1" >"$tmp/out" 2>"$tmp/err" || { cat "$tmp/err" >&2; exit 1; }
    t1=$(date +%s%N)
    echo $(((t1 - t0) / 1000000))
}
median() {
    local _
    for _ in 1 2 3 4 5; do run "$1"; done | sort -n | sed -n 3p
}

write_maildir() {
    python3 - "$1" "$2" <<'PY'
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
    # Old mail, as on a real server: a folder changed within the last second is
    # one Dovecot must scan again on every open.
    touch -d '1 hour ago' "$1/cur" "$1/new" "$1/tmp"
}

bench_one() {
    local count=$1
    tmp=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-imap-bench.XXXXXX")
    # Dovecot's mail processes run as another user (nobody under root).
    chmod o+x "$tmp"
    export QT_QPA_PLATFORM=offscreen HOME=$tmp/home XDG_DATA_HOME=$tmp/data
    export XDG_CONFIG_HOME=$tmp/config XDG_CACHE_HOME=$tmp/cache XDG_RUNTIME_DIR=$tmp/runtime
    mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
    mkdir -m 700 -p "$XDG_RUNTIME_DIR"

    bash "$fixture" start "$tmp/dovecot"
    # Dovecot 2.3's mailbox list index makes the first SELECT after a LIST "*" of a
    # Maildir INBOX read its whole uidlist again (0.15 to 0.25 s of server time at
    # 20,000 messages, by the server's own "Select completed"): that is the server's
    # cost, not the client's, so the benchmark's server goes without the index.
    echo 'mailbox_list_index = no' >>"$tmp/dovecot/dovecot.conf"
    doveadm -c "$tmp/dovecot/dovecot.conf" reload
    # shellcheck disable=SC1091
    . "$tmp/dovecot/ports"
    local maildir=$tmp/dovecot/home/alice/Maildir
    write_maildir "$maildir" "$count"
    chown -R --reference="$tmp/dovecot/home" "$maildir"
    echo secret >"$tmp/password"
    "$tool" add-imap --profile Live --server 127.0.0.1 --port "$IMAP" --user alice \
        --password-file "$tmp/password" --timeout 60 >/dev/null
    # The same mail in an embedded store, for comparison.
    "$tool" import "$maildir" --profile Local --store Imported >/dev/null

    # Logon and the store's folders, with and without the Inbox's message list.
    local logon local_open
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

    run "$tmp/base.script" >/dev/null # warms the program's own files and the server's index
    local base cold warm local_base local_open_ms
    base=$(median "$tmp/base.script")
    rm -f "$XDG_DATA_HOME"/quorvane/account-*.cache
    cold=$(run "$tmp/open.script")
    warm=$(median "$tmp/open.script")
    if [ -n "${PERF_DATA:-}" ]; then
        perf record -g -o "$PERF_DATA" "$prog" --script "$tmp/open.script" >/dev/null 2>&1
    fi
    local_base=$(median "$tmp/local-base.script")
    local_open_ms=$(median "$tmp/local-open.script")
    printf '%-40s %8s\n' "run (messages: $count)" "ms"
    printf '%-40s %8s\n' "logon and folders only" "$base"
    printf '%-40s %8s\n' "Inbox opened cold" "$cold"
    printf '%-40s %8s\n' "Inbox opened from the cache" "$warm"
    printf '%-40s %8s\n' "  of which the open (minus the logon)" "$((warm - base))"
    printf '%-40s %8s\n' "embedded: logon and folders" "$local_base"
    printf '%-40s %8s\n' "embedded: Inbox opened" "$local_open_ms"
    printf '%-40s %8s\n' "  of which the open (minus the logon)" "$((local_open_ms - local_base))"
    cleanup
}

for count in "${counts[@]}"; do bench_one "$count"; done
