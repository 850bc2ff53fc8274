#!/usr/bin/env bash
# Reads the HTML-only messages listed in html_bodies.txt from the real-mail
# corpus with the MIME reader and compares their text with the approved text in
# html_bodies.expected. QUORVANE_BLESS=1 writes html_bodies.expected.
# usage: run_html_bodies_test.sh MIME_BODY_DUMP_BINARY
set -u
dump=$1
case $dump in /*) ;; */*) dump=$PWD/$dump ;; esac  # used from another directory
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-html.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
mapfile -t files < <(grep -v '^#' "$here/html_bodies.txt")
tar -xJf "$here/../data/realmail.tar.xz" -C "$tmp" "${files[@]}" || exit 1
(cd "$tmp" && "$dump" "${files[@]}") >"$tmp/actual" || exit 1
if [ "${QUORVANE_BLESS:-}" = 1 ]; then
    cp "$tmp/actual" "$here/html_bodies.expected"
    echo "blessed $here/html_bodies.expected"
    exit 0
fi
diff -u "$here/html_bodies.expected" "$tmp/actual" | head -300
cmp -s "$here/html_bodies.expected" "$tmp/actual"
