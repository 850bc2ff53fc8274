#!/usr/bin/env bash
# A private Dovecot for the IMAP tests: its own config, runtime folders, users and
# Maildirs under DIR, listening on 127.0.0.1 only (plain IMAP and implicit TLS).
#
#   dovecot-fixture.sh start DIR [CERT KEY]
#                                  writes DIR/ports ("IMAP=n" and "IMAPS=n") once the greeting arrives;
#                                  serves CERT (a PEM leaf, then any intermediates) with KEY, else a
#                                  self-signed certificate for 127.0.0.1 made for the run
#   dovecot-fixture.sh stop DIR    stops that instance (DIR is left for the caller to remove)
#
# With DOVECOT_OAUTH2_KEY set (the HS256 key, as text), the server also takes XOAUTH2 and
# OAUTHBEARER with JWTs signed by that key, validated locally (no introspection server);
# the token's "sub" claim is the user.
# Exit status 77 from start means the Dovecot binary is missing (the tests then skip).
# Users (password in brackets): alice (secret), bob (secret), and legacy (secret), whose
# capability list leaves out UIDPLUS so the refusal path of an expunge can be tested.
set -euo pipefail

DOVECOT=${DOVECOT:-/usr/sbin/dovecot}
here=$(cd "$(dirname "$0")" && pwd)
cmd=${1:-}
dir=${2:-}
cert=${3:-}
key=${4:-}
[ -n "$cmd" ] && [ -n "$dir" ] || { echo "usage: $0 start|stop DIR [CERT KEY]" >&2; exit 2; }

stop() {
    local pidfile="$dir/run/master.pid"
    [ -f "$pidfile" ] || return 0
    local pid children
    pid=$(cat "$pidfile")
    # Mail processes can outlive the master for a moment; a stopped server must
    # drop its sessions at once, as a crashed one would.
    children=$(ps -o pid= --ppid "$pid" 2>/dev/null || true)
    kill "$pid" $children 2>/dev/null || true
    for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null || true
}

port_free() {
    ! ss -Htln "sport = :$1" 2>/dev/null | grep -q .
}

pick_port() {
    local p
    for _ in $(seq 100); do
        p=$((20000 + RANDOM % 40000))
        port_free "$p" && { echo "$p"; return 0; }
    done
    return 1
}

wait_greeting() {
    local port=$1 line
    for _ in $(seq 100); do
        if exec 3<>"/dev/tcp/127.0.0.1/$port" 2>/dev/null; then
            line=""
            read -r -t 2 line <&3 || true
            exec 3<&- 3>&-
            [[ "$line" == "* OK"* ]] && return 0
        fi
        kill -0 "$(cat "$dir/run/master.pid" 2>/dev/null || echo 0)" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# The implicit-TLS port greets only after a handshake, so listening is all we check there.
wait_listening() {
    for _ in $(seq 50); do
        port_free "$1" || return 0
        sleep 0.1
    done
    return 1
}

# The configuration for ports $1 and $2, from dovecot.conf.in beside this script.
write_config() {
    sed -e "s|@DIR@|$dir|g" -e "s|@IMAP@|$1|g" -e "s|@IMAPS@|$2|g" -e "s|@USER@|$service_user|g" \
        -e "s|@GROUP@|$service_group|g" "$here/dovecot.conf.in" >"$dir/dovecot.conf"
    [ -n "${DOVECOT_OAUTH2_KEY:-}" ] || return 0
    cat >>"$dir/dovecot.conf" <<EOF
auth_mechanisms = plain login xoauth2 oauthbearer
passdb {
  driver = oauth2
  mechanisms = xoauth2 oauthbearer
  args = $dir/oauth2.conf
}
EOF
}

# Dovecot looks the key up as shared/<azp>/<alg>/<kid> ("default" for a missing azp or kid),
# stored base64.
write_oauth2() {
    [ -n "${DOVECOT_OAUTH2_KEY:-}" ] || return 0
    mkdir -p "$dir/keys/default/HS256"
    printf '%s' "$DOVECOT_OAUTH2_KEY" | base64 -w0 >"$dir/keys/default/HS256/default"
    cat >"$dir/oauth2.conf" <<EOF
introspection_mode = local
local_validation_key_dict = fs:posix:prefix=$dir/keys/
username_attribute = sub
EOF
    chmod -R a+rX "$dir/keys" "$dir/oauth2.conf"
}

start() {
    [ -x "$DOVECOT" ] || { echo "Dovecot is not installed ($DOVECOT missing)" >&2; exit 77; }
    mkdir -p "$dir"
    dir=$(cd "$dir" && pwd)
    # Dovecot never runs mail processes as root, so as root the mail belongs to nobody.
    if [ "$(id -u)" -eq 0 ]; then
        service_user=nobody
        service_group=$(id -gn nobody)
    else
        service_user=$(id -un)
        service_group=$(id -gn)
    fi
    local uid gid
    uid=$(id -u "$service_user")
    gid=$(id -g "$service_user")
    mkdir -p "$dir/run" "$dir/state" "$dir/tls" "$dir/home"
    chmod 755 "$dir" "$dir/home"
    local user
    : >"$dir/passwd"
    for user in alice bob legacy; do
        mkdir -p "$dir/home/$user"
        local extra=""
        [ "$user" = legacy ] && extra="userdb_imap_capability=IMAP4rev1"
        echo "$user:{PLAIN}secret:$uid:$gid::$dir/home/$user::$extra" >>"$dir/passwd"
    done
    chown -R "$uid:$gid" "$dir/home"
    if [ -n "$cert" ]; then
        cp "$cert" "$dir/tls/cert.pem"
        cp "$key" "$dir/tls/key.pem"
    else
        openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=127.0.0.1" \
            -addext "subjectAltName=IP:127.0.0.1" \
            -keyout "$dir/tls/key.pem" -out "$dir/tls/cert.pem" 2>/dev/null
    fi
    write_oauth2
    local attempt imap imaps
    for attempt in 1 2 3 4 5; do
        imap=$(pick_port)
        imaps=$(pick_port)
        [ "$imap" != "$imaps" ] || continue
        write_config "$imap" "$imaps"
        if "$DOVECOT" -c "$dir/dovecot.conf" 2>>"$dir/dovecot.log" && wait_greeting "$imap" && wait_listening "$imaps"; then
            printf 'IMAP=%s\nIMAPS=%s\n' "$imap" "$imaps" >"$dir/ports"
            return 0
        fi
        stop
        echo "attempt $attempt failed, retrying on other ports" >>"$dir/dovecot.log"
    done
    echo "Dovecot did not start; its log:" >&2
    cat "$dir/dovecot.log" >&2
    exit 1
}

case "$cmd" in
start) start ;;
stop) stop ;;
*) echo "usage: $0 start|stop DIR [CERT KEY]" >&2; exit 2 ;;
esac
