#!/usr/bin/env bash
# quorvane-store's profile commands, run as a user would on a private data
# folder: each command's output and status go into a transcript compared with
# store_tool.expected (QUORVANE_BLESS=1 rewrites it); the JSON listing is read
# back as JSON, and a removed account's password must be gone from the file
# that keeps passwords when there is no keyring.
set -uo pipefail
tool=$1 fixture=$2 expected=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
export XDG_RUNTIME_DIR=$work/runtime DBUS_SESSION_BUS_ADDRESS=disabled:
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
data=$XDG_DATA_HOME/quorvane
out=$work/transcript
run() {
    echo "\$ quorvane-store $*" >>"$out"
    "$tool" "$@" >>"$out" 2>&1 <"${stdin:-/dev/null}"
    echo "[status $?]" >>"$out"
}
run list
"$tool" create "$fixture" "$data" >/dev/null
printf 'secret-one\n' >"$work/pw"
run add-imap --profile Work --server imap.example.org --user jo --security tls \
    --password-file "$work/pw"
grep -rqs secret-one "$data" && echo "the password is kept in the data folder" >>"$out"
run add-imap --profile Work --server mail.example.net --user ann
# OAuth 2.0: incomplete, mixed with a password, a URL that is none, then right.
oauth=(--auth oauth2 --authorize-url https://login.example.com/authorize
       --token-url https://login.example.com/token --scope "imap offline_access")
run add-imap --profile Cloud --server imap.example.com --user jo@example.com "${oauth[@]}"
run add-imap --profile Cloud --server imap.example.com --user jo@example.com "${oauth[@]}" \
    --client-id c1 --password-file "$work/pw"
run add-imap --profile Cloud --server imap.example.com --user jo@example.com --auth token
run add-imap --profile Cloud --server imap.example.com --user jo@example.com --client-id c1
run add-imap --profile Cloud --server imap.example.com --user jo@example.com --auth oauth2 \
    --authorize-url login.example.com --token-url https://login.example.com/token --client-id c1
run add-imap --profile Cloud --server imap.example.com --user jo@example.com "${oauth[@]}" \
    --client-id c1
# Signing in needs the account to be an OAuth one, and named when there are several.
run sign-in --profile Work
run sign-in --profile Work --server imap.example.org --user jo
run sign-in --profile Nobody
run sign-in --profile Cloud --timeout 0
# No browser comes back: the sign-in gives up after its timeout, keeping nothing.
BROWSER= run sign-in --profile Cloud --timeout 1
run list
run list --json
"$tool" list --json >"$work/list.json"
run set-default --profile work
run set-default --profile Nobody
run remove-account --profile Work --server IMAP.EXAMPLE.ORG --user JO
run remove-account --profile Work --server imap.example.org --user jo
printf 'n\n' >"$work/no" && stdin=$work/no run remove-profile --profile Browse
run remove-profile --profile Browse --yes
run remove-profile
run list
python3 - "$work/list.json" >>"$out" <<'PY'
import json, sys
profiles = json.load(open(sys.argv[1]))["profiles"]
print("json:", [(p["name"], p["default"], p["stores"],
                 [(a["user"], a["server"], a["port"], a["security"], a["auth"])
                  for a in p["accounts"]])
                for p in profiles])
print("json has no password:", all("password" not in a for p in profiles for a in p["accounts"]))
PY
if grep -rqs secret-one "$data"; then
    echo "the removed account's password is still kept" >>"$out"
else
    echo "the removed account's password is gone" >>"$out"
fi
sed -i "s|$work|\$WORK|g" "$out"
# What changes from run to run in an authorization URL.
sed -i -E 's/127\.0\.0\.1(%3A|:)[0-9]+/127.0.0.1\1<port>/g; s/(state|code_challenge)=[A-Za-z0-9_-]+/\1=<\1>/g' "$out"
if [ "${QUORVANE_BLESS:-0}" = 1 ]; then
    cp "$out" "$expected"
    exit 0
fi
diff -u "$expected" "$out"
