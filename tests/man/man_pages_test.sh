#!/usr/bin/env bash
# The manual pages name exactly the options and commands the programs' --help
# lists, both ways: an option added to the program without its page, or a page
# left speaking of one that is gone, fails here.
set -uo pipefail
quorvane=$1 store=$2 man=$3
export QT_QPA_PLATFORM=offscreen HOME=$(mktemp -d)
trap 'rm -rf "$HOME"' EXIT
status=0

# Long options as --help prints them, one a line, sorted.
help_options() { "$@" --help | grep -oE '^  +(-[a-z], )?--[a-z-]+' | grep -oE -- '--[a-z-]+' | sort -u; }
# Options the page names (roff writes a dash as \-).
page_options() { sed 's/\\-/-/g' "$1" | grep -oE -- '--[a-z][a-z-]*' | sort -u; }
compare() {
    local what=$1 listed=$2 named=$3
    if ! diff <(echo "$listed") <(echo "$named") >/dev/null; then
        echo "$what: --help and the manual page differ (< --help only, > page only):"
        diff <(echo "$listed") <(echo "$named") | grep '^[<>]'
        status=1
    fi
}

compare quorvane "$(help_options "$quorvane")" "$(page_options "$man/quorvane.1")"

# The store tool: its commands, and every command's options beside the tool's own.
commands=$("$store" --help | sed -n '/^Commands:/,$p' | grep -oE '^  [a-z][a-z-]+' | tr -d ' ' | sort -u)
page_commands=$(sed 's/\\-/-/g' "$man/quorvane-store.1" | sed -n '/^\.SH COMMANDS/,/^\.SH /p' |
    grep -oE '^\.B [a-z][a-z-]+' | cut -c4- | sort -u)
compare "quorvane-store commands" "$commands" "$page_commands"
all=$( { help_options "$store"; for c in $commands; do help_options "$store" "$c"; done; } | sort -u)
compare "quorvane-store options" "$all" "$(page_options "$man/quorvane-store.1")"
[ "$status" = 0 ] && echo "the manual pages and --help agree"
exit "$status"
