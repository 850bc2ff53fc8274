#!/usr/bin/env bash
# The user's path through large mailboxes, timed through the program itself:
# builds the release tree, creates the 100,000- and 1,000,000-message profiles
# once with the store tool, times script runs of the program in pairs (with and
# without the step being measured; the median of the differences counts) and
# prints one table beside the raw SQLite read of the same rows.
#
#   bench/run.sh [SIZES]      SIZES: "100000 1000000" unless given
#   BUILD_DIR (build-release), BENCH_DIR (build-release/user-path), PAIRS (5; 3 for 1M),
#   SKIP_BUILD=1 to time the binaries already in BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${BUILD_DIR:-build-release}
work=${BENCH_DIR:-$build/user-path}
sizes=${*:-100000 1000000}

if [ -z "${SKIP_BUILD:-}" ]; then
    launcher=()
    command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
    cmake --build "$build" -j"$(nproc)" --target quorvane quorvane-store raw_read_bench >/dev/null
fi
build=$(cd "$build" && pwd)
prog=$build/quorvane
tool=$build/tools/quorvane-store
raw=$build/bench/raw_read_bench
mkdir -p "$work"
work=$(cd "$work" && pwd)

export QT_QPA_PLATFORM=offscreen

# One run of a script against the profile of `size`: prints "wall_us maxrss_kB cpu_us".
run_script() {
    local size=$1 script=$2 dir=$work/p$size t0 t1
    t0=$(date +%s%N)
    HOME=$dir/home XDG_CONFIG_HOME=$dir/config XDG_DATA_HOME=$dir/data \
        XDG_CACHE_HOME=$dir/cache XDG_RUNTIME_DIR=$dir/runtime \
        /usr/bin/time -f '%M %U %S' -o "$dir/rss" "$prog" --script "$script" >/dev/null 2>"$dir/err" ||
        { cat "$dir/err" >&2; exit 1; }
    t1=$(date +%s%N)
    read -r kb user sys <"$dir/rss"
    echo "$(( (t1 - t0) / 1000 )) $kb $(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%d", (u + s) * 1e6 }')"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

# Medians over pairs of (with - without) in microseconds: "wall cpu". The
# median kB difference of peak resident memory goes to $work/rss_delta.
pair() {
    local size=$1 without=$2 with=$3 n=$4 i a ra ca b rb cb
    : >"$work/pairs"
    for ((i = 0; i < n; i++)); do
        read -r a ra ca < <(run_script "$size" "$without")
        read -r b rb cb < <(run_script "$size" "$with")
        echo "$((b - a)) $((cb - ca)) $((rb - ra))" >>"$work/pairs"
    done
    cut -d' ' -f3 "$work/pairs" | median >"$work/rss_delta"
    echo "$(cut -d' ' -f1 "$work/pairs" | median) $(cut -d' ' -f2 "$work/pairs" | median)"
}

write_scripts() {
    local d=$work/scripts
    mkdir -p "$d"
    printf 'dump control LogonButton\n' >"$d/start"
    printf 'click LogonButton\nchoose ProfileCombo Bench\nclick OkButton\n' >"$d/logon"
    { cat "$d/logon"; printf 'select MAPITree key=00E1\ndblclick MAPITree\nselect MAPITree key=1001\n'; } >"$d/store"
    { cat "$d/store"; printf 'dblclick MAPITree\n'; } >"$d/open"
    { cat "$d/open"; printf 'click LogoffButton\n'; } >"$d/logoff"
    { cat "$d/store"; printf 'choose FilterCombo Subject\nset ValueText budget\nclick AddFilterButton\n'; } >"$d/subject0"
    { cat "$d/store"; printf 'choose FilterCombo "Received At Or After"\nset ValueText 3/1/1998\nclick AddFilterButton\n'
      printf 'choose FilterCombo "Received On Or Before"\nset ValueText 3/31/1998\nclick AddFilterButton\n'; } >"$d/received0"
    { cat "$d/store"; printf 'choose FilterCombo Sender\nset ValueText bob\nclick AddFilterButton\n'; } >"$d/sender0"
    for f in subject received sender; do { cat "$d/${f}0"; printf 'click FilterButton\n'; } >"$d/${f}1"; done
}

# Stored seconds (days since 30 December 1899, local wall clock) of a date.
stored_seconds() { echo $(( ($(date -u -d "$1" +%s) / 86400 + 25569) * 86400 + ${2:-0} )); }

rows=()
# figure, wall, CPU, raw, target: the ratios are computed from wall/CPU and raw (microseconds).
add_row() {
    local wall=$2 cpu=$3 raw=$4
    if [[ $wall =~ ^-?[0-9]+$ ]]; then
        rows+=("| $1 | $(secs "$wall") | $(secs "$cpu") | $([ -n "$raw" ] && secs "$raw" || echo -) | $(ratio "$wall" "$raw") | $(ratio "$cpu" "$raw") | $5 |")
    else
        rows+=("| $1 | $wall | $cpu | - | - | - | $5 |")
    fi
}
secs() { awk -v u="$1" 'BEGIN { printf "%.3f s", u / 1e6 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.1f", a / b; else print "-" }'; }

write_scripts
for size in $sizes; do
    dir=$work/p$size
    db=$dir/data/quorvane/mailstore.db
    label=$(echo "$size" | sed ':a;s/\B[0-9]\{3\}\>/,&/;ta')
    n=${PAIRS:-$([ "$size" -ge 1000000 ] && echo 3 || echo 5)}
    if [ ! -f "$db" ]; then
        echo "creating the $label-message profile ..." >&2
        rm -rf "$dir" && mkdir -p "$dir/home" "$dir/config" "$dir/cache" "$dir/data"
        mkdir -m 700 -p "$dir/runtime"
        python3 bench/user_path/make_fixture.py "$size" "$dir/fixture.json"
        t0=$(date +%s%N)
        /usr/bin/time -f '%U %S' -o "$dir/create_cpu" "$tool" create "$dir/fixture.json" "$dir/data/quorvane" >/dev/null
        t1=$(date +%s%N)
        echo "$(( (t1 - t0) / 1000 )) $(awk '{ printf "%d", ($1 + $2) * 1e6 }' "$dir/create_cpu")" >"$dir/create_us"
        rm -f "$dir/fixture.json"
    fi
    read -r create_us create_cpu <"$dir/create_us"
    add_row "store tool: build a $label-message store" \
        "$(awk -v n="$size" -v u="$create_us" 'BEGIN { printf "%.0f messages/s", n / (u / 1e6) }')" \
        "$(awk -v n="$size" -v u="$create_cpu" 'BEGIN { printf "%.0f messages/CPU s", n / (u / 1e6) }')" \
        "" "≥ 20,000 messages/s"

    echo "timing the $label-message folder ($n pairs per figure) ..." >&2
    s=$work/scripts
    raw_us() { "$raw" "$db" "$@" | awk '{ printf "%d", $1 * 1e6 }'; }
    read -r wall cpu < <(pair "$size" "$s/store" "$s/open" "$n")
    rss_kb=$(cat "$work/rss_delta")
    target=$([ "$size" -ge 1000000 ] && echo "≤ 5 s" || echo "≤ 0.5 s, ≤ 2× raw")
    add_row "double-click the $label-message folder" "$wall" "$cpu" "$(raw_us list)" "$target"
    add_row "peak resident memory per added node ($label)" \
        "$(awk -v k="$rss_kb" -v n="$size" 'BEGIN { printf "%.0f bytes", k * 1024 / n }')" "-" "" \
        "$([ "$size" -ge 1000000 ] && echo "linear" || echo "≤ 200 bytes")"
    read -r wall cpu < <(pair "$size" "$s/open" "$s/logoff" "$n")
    add_row "log off after opening the $label-message folder" "$wall" "$cpu" "" "≤ 0.3 s"

    ftarget=$([ "$size" -ge 1000000 ] && echo "≤ 0.5 s" || echo "≤ 50 ms")
    for f in subject received sender; do
        case $f in
            subject) r=$(raw_us subject budget) ;;
            received) r=$(raw_us received "$(stored_seconds 1998-03-01)" "$(stored_seconds 1998-03-31 86399)") ;;
            sender) r=$(raw_us sender bob) ;;
        esac
        read -r wall cpu < <(pair "$size" "$s/${f}0" "$s/${f}1" "$n")
        add_row "filter by $f over $label messages, click to result" "$wall" "$cpu" "$r" "$ftarget"
    done

    if [ "$size" -ge 1000000 ]; then
        read -r wall cpu < <(pair "$size" "$s/start" "$s/logon" "$n")
        add_row "logon to the store list ($label-message store)" "$wall" "$cpu" "$(raw_us stores)" "≤ 0.2 s"
    fi
done

echo "| figure | wall | CPU | raw SQLite read | wall ÷ raw | CPU ÷ raw | target |"
echo "|---|---|---|---|---|---|---|"
printf '%s\n' "${rows[@]}"
