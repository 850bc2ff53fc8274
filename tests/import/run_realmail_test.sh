#!/usr/bin/env bash
# Imports the real messages of tests/data/realmail.tar.xz (public ham and spam
# corpora: broken, non-ASCII, HTML-only) with the store tool: it must finish
# without a crash and account for every message, each imported, a duplicate or
# skipped; as many messages as it says it imported must be in the store.
# usage: run_realmail_test.sh QUORVANE_STORE_BINARY
set -u
tool=$1
case $tool in /*) ;; */*) tool=$PWD/$tool ;; esac  # used from another directory
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-realmail.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
export TZ=UTC LC_ALL=C.UTF-8 HOME=$tmp/home XDG_DATA_HOME=$tmp/data XDG_CONFIG_HOME=$tmp/config
fail() { echo "FAILED: $*"; exit 1; }

tar -xJf "$here/../data/realmail.tar.xz" -C "$tmp" || fail "cannot unpack the corpus"
total=$(find "$tmp/realmail" -type f -name '*.eml' | wc -l)
[ "$total" -eq 2646 ] || fail "the corpus holds $total messages, not 2646"

"$tool" import "$tmp/realmail" --store Realmail >"$tmp/out" 2>&1
status=$?
head -5 "$tmp/out"
[ "$status" -lt 128 ] || fail "the import died of signal $((status - 128))"
[ "$status" -eq 0 ] || fail "the import ended with status $status"
line=$(grep -E '^Imported [0-9]+, duplicates [0-9]+, skipped [0-9]+ ' "$tmp/out") ||
    fail "no summary line"
read -r imported duplicates skipped < <(echo "$line" | sed -E 's/^Imported ([0-9]+), duplicates ([0-9]+), skipped ([0-9]+) .*/\1 \2 \3/')
echo "imported $imported + duplicates $duplicates + skipped $skipped = $((imported + duplicates + skipped)) of $total"
[ $((imported + duplicates + skipped)) -eq "$total" ] || fail "messages unaccounted for"
stored=$(sqlite3 "$XDG_DATA_HOME/quorvane/mailstore.db" "SELECT COUNT(*) FROM messages") ||
    fail "cannot read the store"
[ "$stored" -eq "$imported" ] || fail "$stored messages in the store, $imported imported"
echo "PASSED"
