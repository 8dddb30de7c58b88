#!/usr/bin/env bash
# A settings value of another type (a hand-edited file) does not stop the program: --check
# names the value and fails, and the program itself starts with the value empty.
set -u
program=$1
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d /tmp/zd-settings-XXXXXX)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/cfg
mkdir -p "$XDG_CONFIG_HOME/Velmora"
printf '[General]\nTAX=@Rect(0 0 1 1)\n' >"$XDG_CONFIG_HOME/Velmora/ZORIKADESK.ini"

out=$("$program" --check --database "$work/ZORIKA" 2>&1)
rc=$?
echo "$out"
[ $rc -eq 1 ] || { echo "--check gave $rc, expected 1"; exit 1; }
echo "$out" | grep -q "TAX" || { echo "the message does not name TAX"; exit 1; }

# The program starts and keeps running (before, std::terminate ended it at once).
"$program" --database "$work/ZORIKA" &
pid=$!
sleep 2
kill -0 "$pid" 2>/dev/null || { wait "$pid"; echo "the program ended with $?"; exit 1; }
kill -TERM "$pid"
wait "$pid"
