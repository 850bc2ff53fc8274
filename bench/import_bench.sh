#!/usr/bin/env bash
# Import speed of `quorvane-store import` on generated mbox files, beside the
# raw read speed of the same file (warm cache). Not run by the tests.
# usage: bench/import_bench.sh [BUILD_DIR]   (a Release build; default build)
#   ordinary: 100,000 messages of a few kilobytes, one in ten with a 20 kB attachment
#   large:    1,000 messages, each with a 1 MB attachment
set -eu
cd "$(dirname "$0")/.."
tool=$(cd "${1:-build}" && pwd)/tools/quorvane-store
tmp=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-bench.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
export HOME=$tmp/home XDG_DATA_HOME=$tmp/data XDG_CONFIG_HOME=$tmp/config

python3 - "$tmp" <<'PY'
import base64, os, random, sys
out = sys.argv[1]
rnd = random.Random(1999)
words = "budget review release planning server customer design travel contract weekly".split()

def body(n):
    return " ".join(rnd.choice(words) for _ in range(n)).encode()

def message(i, attachment):
    head = (b"From sender%d@example.com Mon Mar  1 09:30:00 1999\n"
            b"From: Sender %d <sender%d@example.com>\nTo: Ann <ann@example.com>, Bob <bob@example.com>\n"
            b"Cc: Team <team@example.com>\nSubject: Message %d about %s\n"
            b"Date: Mon, 1 Mar 1999 09:30:00 +0000\nMessage-ID: <%d@bench.example>\nMIME-Version: 1.0\n"
            % (i % 97, i % 97, i % 97, i, rnd.choice(words).encode(), i))
    text = body(rnd.randint(200, 600)) + b"\n"
    if attachment is None:
        return head + b"Content-Type: text/plain; charset=us-ascii\n\n" + text + b"\n"
    return (head + b'Content-Type: multipart/mixed; boundary="b"\n\n--b\nContent-Type: text/plain\n\n'
            + text + b"--b\nContent-Type: application/octet-stream; name=\"data.bin\"\n"
            b"Content-Transfer-Encoding: base64\n\n" + attachment + b"--b--\n\n")

small = base64.encodebytes(os.urandom(20_000))
large = base64.encodebytes(os.urandom(1_000_000))
with open(os.path.join(out, "ordinary.mbox"), "wb") as f:
    for i in range(100_000):
        f.write(message(i, small if i % 10 == 0 else None))
with open(os.path.join(out, "large.mbox"), "wb") as f:
    for i in range(1_000):
        f.write(message(i, large))
PY

now() { date +%s.%N; }
# Wall-clock figures depend on what else the machine runs; the CPU time
# (user + system, both threads) shows what the import itself costs.
printf '%-10s %9s %7s %10s %9s %11s %12s %7s %13s\n' corpus messages MB "read MB/s" "import s" \
    "messages/s" "import MB/s" "CPU s" "messages/CPU s"
for name in ordinary large; do
    file=$tmp/$name.mbox
    bytes=$(stat -c %s "$file")
    cat "$file" >/dev/null
    t0=$(now); cat "$file" >/dev/null; t1=$(now)
    rm -rf "$XDG_DATA_HOME"
    TIMEFORMAT='%U %S'
    t2=$(now)
    cpu=$( { time "$tool" import "$file" >"$tmp/$name.out"; } 2>&1 | awk '{ print $1 + $2 }')
    t3=$(now)
    count=$(sed -n 's/^Imported \([0-9]*\),.*/\1/p' "$tmp/$name.out")
    awk -v n="$name" -v c="$count" -v b="$bytes" -v t0="$t0" -v t1="$t1" -v t2="$t2" -v t3="$t3" \
        -v cpu="$cpu" 'BEGIN { r = t1 - t0; s = t3 - t2
            printf "%-10s %9d %7.0f %10.0f %9.1f %11.0f %12.1f %7.1f %13.0f\n",
                   n, c, b / 1e6, b / 1e6 / r, s, c / s, b / 1e6 / s, cpu, c / cpu }'
done
