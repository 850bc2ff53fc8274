#!/usr/bin/env bash
# Imports the generated corpus (make_corpus.py) with the store tool, twice, plus
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
python3 "$here/make_corpus.py" "$tmp/corpus" || exit 1
cd "$tmp/corpus" || exit 1
{
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
