#!/usr/bin/env bash
# Runs one end-to-end scenario: run_scenario.sh QUORVANE_BINARY SCENARIO_DIR
# (what SCENARIO_DIR may hold is in README.md beside this script). The program
# runs in a fresh working directory, which reads as $WORK in both outputs, with
# private HOME and XDG folders. QUORVANE_BLESS=1 writes the actual outputs into
# the scenario directory instead of comparing (review them before committing).
set -u
if [ $# -ne 2 ]; then
    echo "usage: $0 QUORVANE_BINARY SCENARIO_DIR" >&2
    exit 2
fi
bin=$1
case $bin in /*) ;; */*) bin=$PWD/$bin ;; esac  # the program runs from another directory
dir=$(cd "${2%/}" 2>/dev/null && pwd) || { echo "$2: no such directory" >&2; exit 2; }
[ -f "$dir/script" ] || [ -f "$dir/args" ] || { echo "$dir/script: no such file" >&2; exit 2; }

# No session bus, so no secret service: account passwords go to the owner-only
# file beside the store on every machine, never to the desktop's keyring.
unset DBUS_SESSION_BUS_ADDRESS DISPLAY WAYLAND_DISPLAY

tmp=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-scenario.XXXXXX")
pids=$tmp/pids
stop_setup() {
    [ -f "$pids" ] && while read -r p; do kill "$p" 2>/dev/null; done <"$pids"
    rm -rf "$tmp"
}
trap stop_setup EXIT
work=$tmp/work
mkdir -p "$work" "$tmp/home" "$tmp/config" "$tmp/data" "$tmp/cache" "$tmp/runtime"
chmod 700 "$tmp/runtime"
export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/config XDG_DATA_HOME=$tmp/data XDG_CACHE_HOME=$tmp/cache \
    XDG_RUNTIME_DIR=$tmp/runtime QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
for f in "$dir"/* "$dir"/.[!.]*; do
    [ -e "$f" ] || continue
    case "$(basename "$f")" in expected.* | args | stdin | data | setup | check) continue ;; esac
    cp -R "$f" "$work/"
done

args=(--script script)
[ -f "$work/fixture.json" ] && args+=(--fixture fixture.json)
if [ -f "$dir/args" ]; then
    args=()
    while IFS= read -r a || [ -n "$a" ]; do args+=("$a"); done <"$dir/args"
fi
input=/dev/null
[ -f "$dir/stdin" ] && input=$dir/stdin

[ -d "$dir/data" ] && cp -R "$dir/data/." "$tmp/data/"
if [ -f "$dir/setup" ]; then
    (cd "$work" && QUORVANE=$bin QUORVANE_SCENARIO_PIDS=$pids QUORVANE_SCENARIO_VARS=$tmp/vars \
        bash "$dir/setup") || {
        # 77: something the scenario needs is not installed (CTest reports a skip).
        setup_status=$?
        [ "$setup_status" -eq 77 ] && { echo "$dir: skipped, its setup lacks a program"; exit 77; }
        echo "$dir/setup failed"
        exit 1
    }
fi

status=0
(cd "$work" && "$bin" "${args[@]}" >"$tmp/out" 2>"$tmp/err" <"$input") || status=$?

[ -f "$dir/check" ] && (cd "$work" && QUORVANE=$bin bash "$dir/check" >>"$tmp/out" 2>>"$tmp/err")

# The working directory's path, whatever mktemp chose, reads as $WORK.
export WORKDIR=$work
for f in out err; do
    perl -pi -e 's/\Q$ENV{WORKDIR}\E/\$WORK/g' "$tmp/$f"
done
# Values a setup chose at run time (a server's port) show by their names.
if [ -f "$tmp/vars" ]; then
    while IFS='=' read -r name value; do
        [ -n "$name" ] && [ -n "$value" ] || continue
        export VAR_VALUE=$value VAR_NAME=$name
        # Whole numbers only: a port must not be found inside a longer number.
        for f in out err; do
            perl -pi -e 's/(?<![0-9])\Q$ENV{VAR_VALUE}\E(?![0-9])/\$$ENV{VAR_NAME}/g' "$tmp/$f"
        done
    done <"$tmp/vars"
fi

if [ "${QUORVANE_BLESS:-}" = 1 ]; then
    cp "$tmp/out" "$dir/expected.out"
    if [ -s "$tmp/err" ] || [ -f "$dir/expected.err" ]; then cp "$tmp/err" "$dir/expected.err"; fi
    if [ "$status" -ne 0 ]; then echo "$status" >"$dir/expected.status"; else rm -f "$dir/expected.status"; fi
    echo "blessed $dir (status $status)"
    exit 0
fi

expected_status=0
[ -f "$dir/expected.status" ] && expected_status=$(tr -d ' \r\n' <"$dir/expected.status")

failed=0
if ! cmp -s "$dir/expected.out" "$tmp/out"; then
    echo "standard output differs (expected, actual):"
    diff -u "$dir/expected.out" "$tmp/out" | cat -A | head -200
    failed=1
fi
if [ -f "$dir/expected.err" ] && ! cmp -s "$dir/expected.err" "$tmp/err"; then
    echo "standard error differs (expected, actual):"
    diff -u "$dir/expected.err" "$tmp/err" | head -100
    failed=1
fi
if [ -d "$dir/data" ]; then
    while IFS= read -r -d '' f; do
        rel=${f#"$dir/data/"}
        if ! cmp -s "$f" "$tmp/data/$rel"; then
            echo "data/$rel was changed or removed by the run"
            failed=1
        fi
    done < <(find "$dir/data" -type f -print0)
fi
if [ "$status" != "$expected_status" ]; then
    echo "exit status $status, expected $expected_status"
    [ -f "$dir/expected.err" ] || { echo "standard error:"; head -50 "$tmp/err"; }
    failed=1
fi
exit $failed
