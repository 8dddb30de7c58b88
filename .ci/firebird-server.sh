#!/usr/bin/env bash
# Starts or stops the Firebird server that the server-path tests use: a server of its own,
# with its own configuration, port and lock folder, listening on 127.0.0.1 only, so that it
# neither meets nor depends on a packaged Firebird service that may be running (on port
# 3050, with /etc/hosts naming localhost ::1 as well).
#   firebird-server.sh start ENVFILE   writes the variables the tests need into ENVFILE
#   firebird-server.sh stop
# Runs as root (it starts the server as the firebird user).
set -euo pipefail
state=/run/zorikadesk-test-firebird
[ -d /run ] && [ -w /run ] || state=/tmp/zorikadesk-test-firebird
server=/usr/sbin/firebird
conf=/etc/firebird/3.0
messages=/usr/lib/x86_64-linux-gnu/firebird/3.0

stop_server() {
    [ -d "$state" ] || return 0
    if [ -f "$state/pid" ]; then
        # Only a process that is this server: a stale pid file may name another one.
        start-stop-daemon --stop --pidfile "$state/pid" --exec "$server" --retry 10 \
            --oknodo >/dev/null || true
    fi
    rm -rf "$state"
}

free_port() {
    for port in $(seq 3057 3099); do
        if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
            echo "$port"
            return 0
        fi
    done
    return 1
}

case "${1:-}" in
start)
    envfile=${2:?usage: $0 start ENVFILE}
    stop_server
    port=$(free_port) || { echo "no free port for the test Firebird server" >&2; exit 1; }
    mkdir -p "$state/root" "$state/lock" "$state/databases"
    # The packaged configuration, with the address and port of this server.
    for f in firebird.conf databases.conf plugins.conf fbintl.conf fbtrace.conf; do
        [ -f "$conf/$f" ] && cp "$conf/$f" "$state/root/"
    done
    {
        echo
        echo "# The ZorikaDesk test server"
        echo "RemoteBindAddress = 127.0.0.1"
        echo "RemoteServicePort = $port"
        echo "IpcName = ZorikaDeskTest$port"
    } >>"$state/root/firebird.conf"
    chown -R firebird:firebird "$state/lock" "$state/databases"
    chmod 700 "$state/lock" "$state/databases"
    # The configuration is found through FIREBIRD, read before anything else: the bind
    # address and port are taken from the server's first configuration only.
    FIREBIRD="$state/root" start-stop-daemon --start --background --make-pidfile \
        --pidfile "$state/pid" --chuid firebird:firebird --exec "$server" -- \
        -el "$state/lock" -em "$messages"
    for _ in $(seq 1 100); do
        if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
            # The packaged password of SYSDBA, read as data (never run as shell code).
            password=$(sed -n 's/^ISC_PASSWORD="\{0,1\}\([^"]*\)"\{0,1\}$/\1/p' \
                "$conf/SYSDBA.password")
            user=$(sed -n 's/^ISC_USER="\{0,1\}\([^"]*\)"\{0,1\}$/\1/p' "$conf/SYSDBA.password")
            {
                printf 'ZD_TEST_SERVER=%q\n' "127.0.0.1/$port:$state/databases"
                printf 'ISC_USER=%q\n' "${user:-SYSDBA}"
                printf 'ISC_PASSWORD=%q\n' "$password"
            } >"$envfile"
            exit 0
        fi
        sleep 0.1
    done
    echo "The test Firebird server did not start on 127.0.0.1:$port" >&2
    stop_server
    exit 1
    ;;
stop)
    stop_server
    ;;
*)
    echo "usage: $0 start ENVFILE | stop" >&2
    exit 2
    ;;
esac
