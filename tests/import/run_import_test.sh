#!/usr/bin/env bash
# Imports the corpus (every case byte for byte, so nothing depends on a mail
# library's way of writing mail) with the store tool, twice, plus
# sources that cannot be imported, and compares the tool's output and the store
# it wrote (dump.sql) with expected.txt. QUORVANE_BLESS=1 writes expected.txt.
# usage: run_import_test.sh QUORVANE_STORE_BINARY
set -u
tool=$1
case $tool in /*) ;; */*) tool=$PWD/$tool ;; esac  # used from another directory
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-import.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
export TZ=UTC LC_ALL=C.UTF-8 HOME=$tmp/home XDG_DATA_HOME=$tmp/data XDG_CONFIG_HOME=$tmp/config
cp -r "$here/corpus" "$tmp/corpus" || exit 1
# Git keeps neither empty folders nor times; a Maildir message's time is its file's.
mkdir -p "$tmp/corpus/Mail/tmp" "$tmp/corpus/Mail/.Work/new" "$tmp/corpus/Mail/.Work.Reports/cur"
t0=922000000  # 1999-03-21 07:06:40 UTC
for f in cur/1000.M1.host:2,S cur/1001.M2.host:2,FR new/1002.M3.host .Work/cur/2000.M1.host:2,RS \
         .Work.Reports/new/3000.M1.host; do
    touch -d "@$t0" "$tmp/corpus/Mail/$f" && t0=$((t0 + 60))
done
cd "$tmp/corpus" || exit 1
{
    echo "== not mail, nothing there yet"
    "$tool" import notmail.bin 2>&1; echo "status $?"
    echo "files and folders made: $(find "$XDG_DATA_HOME" 2>/dev/null | wc -l)"
    echo "== import"
    "$tool" import cases.mbox crlf.mbox Mail emls single.eml --store Corpus 2>&1; echo "status $?"
    echo "== the same again"
    "$tool" import cases.mbox crlf.mbox Mail emls single.eml --store Corpus 2>&1; echo "status $?"
    echo "== a Maildir into its own store"
    "$tool" import Mail 2>&1; echo "status $?"
    echo "== not mail, another profile"
    "$tool" import notmail.bin --profile Other 2>&1; echo "status $?"
    echo "== no such source"
    "$tool" import nosuch.mbox 2>&1; echo "status $?"
    echo "== usage"
    "$tool" import --store 2>&1; echo "status $?"
    echo "== store"
    sqlite3 "$XDG_DATA_HOME/quorvane/mailstore.db" <"$here/dump.sql" 2>&1
} | sed "s#$tmp/corpus#\$CORPUS#g" >"$tmp/actual"
if [ "${QUORVANE_BLESS:-}" = 1 ]; then
    cp "$tmp/actual" "$here/expected.txt"
    echo "blessed $here/expected.txt"
    exit 0
fi
diff -u "$here/expected.txt" "$tmp/actual" | head -300
cmp -s "$here/expected.txt" "$tmp/actual"
