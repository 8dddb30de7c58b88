#!/usr/bin/env bash
# SIGTERM, SIGINT and SIGHUP end the running program within two seconds with status 0, and
# leave its database intact.
set -u
program=$1
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d /tmp/zd-term-XXXXXX)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/cfg
db=$work/ZORIKA
"$program" --check --database "$db" >/dev/null || { echo "database not created"; exit 1; }

status=0
for sig in TERM INT HUP; do
    "$program" --database "$db" &
    pid=$!
    # Running once its database was opened at start (the client library is loaded by then).
    sleep 2
    kill -0 "$pid" 2>/dev/null || { echo "SIG$sig: the program did not start"; status=1; continue; }
    kill -s "$sig" "$pid"
    ended=no
    for _ in $(seq 1 20); do
        if ! kill -0 "$pid" 2>/dev/null; then ended=yes; break; fi
        sleep 0.1
    done
    if [ $ended = no ]; then
        echo "SIG$sig: still running after two seconds"
        kill -9 "$pid"
        status=1
        continue
    fi
    wait "$pid"
    rc=$?
    [ $rc -eq 0 ] || { echo "SIG$sig: exit status $rc"; status=1; }
done

"$program" --check --database "$db" || status=1
if command -v gfix >/dev/null; then
    out=$(FIREBIRD_LOCK=$work/lock gfix -v -full "$db" 2>&1) || { echo "$out"; status=1; }
    [ -z "$out" ] || { echo "gfix: $out"; status=1; }
fi
exit $status
