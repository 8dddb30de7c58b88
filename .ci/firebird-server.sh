#!/usr/bin/env bash
# Starts or stops the Firebird server that the server-path tests use, on 127.0.0.1 only.
#   firebird-server.sh start   prints the environment lines the tests need
#   firebird-server.sh stop
set -euo pipefail
pidfile=/tmp/zorikadesk-ci-firebird.pid
testdir=/tmp/zorikadesk-server-tests

case "${1:-}" in
start)
    # The packaged password of SYSDBA; the tests connect with it through ISC_USER/ISC_PASSWORD.
    # shellcheck disable=SC1091
    . /etc/firebird/3.0/SYSDBA.password
    mkdir -p /tmp/firebird "$testdir"
    chown firebird:firebird /tmp/firebird "$testdir"
    chmod 700 "$testdir"
    if ! { [ -f "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null; }; then
        start-stop-daemon --start --background --make-pidfile --pidfile "$pidfile" \
            --chuid firebird:firebird --exec /usr/sbin/firebird
    fi
    for _ in $(seq 1 100); do
        if (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null; then
            echo "export ZD_TEST_SERVER=127.0.0.1:$testdir"
            echo "export ISC_USER=$ISC_USER"
            echo "export ISC_PASSWORD=$ISC_PASSWORD"
            exit 0
        fi
        sleep 0.1
    done
    echo "Firebird server did not start" >&2
    exit 1
    ;;
stop)
    if [ -f "$pidfile" ]; then
        start-stop-daemon --stop --pidfile "$pidfile" --retry 10 --oknodo || true
        rm -f "$pidfile"
    fi
    rm -rf "$testdir"
    ;;
*)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
