#!/usr/bin/env bash
# The program must create and open its database as an ordinary user, not only as root, and
# must say clearly when the file belongs to someone else.
set -u
program=$1
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d /tmp/zd-user-XXXXXX)
trap 'rm -rf "$work"' EXIT
if [ "$(id -u)" -ne 0 ]; then
    XDG_CONFIG_HOME=$work/cfg "$program" --check --database "$work/ZORIKA" || exit 1
    exit 0
fi
chmod 755 "$work"
# The build tree may lie where others cannot enter (a checkout under /root): nobody runs a
# copy of the program of its own.
cp "$program" "$work/zorikadesk"
chmod 755 "$work/zorikadesk"
program=$work/zorikadesk
mkdir "$work/user"
chown nobody "$work/user"
as_nobody() { runuser -u nobody -- env HOME="$work/user" XDG_CONFIG_HOME="$work/user/cfg" "$@"; }

out=$(as_nobody "$program" --check --database "$work/user/ZORIKA" 2>&1) || { echo "$out"; exit 1; }
echo "$out"
[ "$(stat -c %U:%a "$work/user/ZORIKA")" = "nobody:600" ] || { echo "wrong owner or mode"; exit 1; }

# A file of another user: refused with a sentence the user understands.
XDG_CONFIG_HOME=$work/cfg "$program" --check --database "$work/root-ZORIKA" >/dev/null || exit 1
out=$(as_nobody "$program" --check --database "$work/root-ZORIKA" 2>&1) && { echo "opened root's file"; exit 1; }
echo "$out"
echo "$out" | grep -q "権限がありません" || exit 1
exit 0
