#!/usr/bin/env bash
# Installs the zorikadesk package on a fresh Debian 12 as a shop would, and tries what its
# users do. The fresh Debian is a chroot made by debootstrap from this machine's Debian
# mirror; apt installs the package into it and brings its dependencies.
#   package-root.sh PACKAGE.deb [SCREENSHOT.png]
# In the root: the version before installs with its dependencies; user A's first start makes
# a database in A's data folder; the upgrade to PACKAGE keeps A's database and settings;
# user B gets a database of their own; root's start writes nothing into /usr/bin; the main
# menu shows on a display (Xvfb of this machine; SCREENSHOT is taken of it); removing and
# purging the package leave the users' files.
# Where no root can be made (no mirror, no privileges) it says why, checks the dependencies
# with apt-get --simulate, unpacks the package with dpkg --root and starts the program from
# there as an ordinary user; exit 77 then tells the caller that the chroot was skipped.
# Runs as root. Exit 0: every check passed; 1: a check failed.
set -euo pipefail
deb=$(realpath "${1:?usage: $0 PACKAGE.deb [SCREENSHOT.png]}")
screenshot=${2:-}
suite=bookworm
work=$(mktemp -d "${TMPDIR:-/tmp}/zd-package-XXXXXX")
root=$work/root
xvfb_pid=

cleanup() {
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    if mountpoint -q "$root/proc" 2>/dev/null; then
        umount "$root/proc" || umount -l "$root/proc"
    fi
    # Never into a mount that is left behind: this one file system only.
    rm -rf --one-file-system "$work"
}
trap cleanup EXIT

failures=0
check() { # check DESCRIPTION COMMAND...: runs the command and says how it went
    local what=$1
    shift
    local start=$SECONDS
    if "$@"; then
        echo "package: $what: ok ($((SECONDS - start)) s)"
    else
        echo "package: $what: FAILED"
        failures=$((failures + 1))
    fi
}

mirror() {
    if [ -n "${ZD_DEBIAN_MIRROR:-}" ]; then
        echo "$ZD_DEBIAN_MIRROR"
        return
    fi
    # The machine's own Debian mirror: deb822 sources first, then the one-line form.
    local uri
    uri=$(awk '/^URIs:/ && !/security/ { print $2; exit }' /etc/apt/sources.list.d/*.sources \
        2>/dev/null || true)
    [ -n "$uri" ] || uri=$(awk -v s="$suite" '$1 == "deb" && $3 == s { print $2; exit }' \
        /etc/apt/sources.list 2>/dev/null || true)
    echo "${uri:-http://deb.debian.org/debian}"
}

# --- Without a root of our own: the dependencies, the unpacked files, an ordinary user. ---
simulate() {
    apt-get --simulate install "$deb" >"$work/simulate.log" 2>&1 || {
        tail -n 20 "$work/simulate.log"
        return 1
    }
}
unpack() {
    mkdir -p "$work/dpkg-root/var/lib/dpkg/updates" "$work/dpkg-root/var/lib/dpkg/info"
    touch "$work/dpkg-root/var/lib/dpkg/status"
    # Its dependencies are not there: dpkg's words on them are expected.
    dpkg --root="$work/dpkg-root" --force-depends --force-not-root --log=/dev/null \
        -i "$deb" >"$work/dpkg.log" 2>&1 || {
        cat "$work/dpkg.log"
        return 1
    }
}
nobody_check() {
    chmod 755 "$work"
    mkdir -p "$work/home"
    chown nobody "$work/home"
    runuser -u nobody -- env -i HOME="$work/home" PATH=/usr/bin:/bin LANG=C.UTF-8 \
        "$work/dpkg-root/usr/bin/zorikadesk" --check &&
        [ -f "$work/home/.local/share/Velmora/ZorikaDesk/ZORIKA" ]
}
without_root() {
    echo "package: the chroot is skipped: $1"
    check "its dependencies resolve on this machine (apt-get --simulate)" simulate
    check "it unpacks with dpkg --root" unpack
    check "an ordinary user's start of the unpacked program makes a database in the data folder" \
        nobody_check
    [ $failures -eq 0 ] || exit 1
    exit 77
}

command -v debootstrap >/dev/null || without_root "debootstrap is not installed"
[ "$(id -u)" -eq 0 ] || without_root "a chroot needs root"
url=$(mirror)
echo "package: making a fresh Debian $suite from $url"
if ! debootstrap --variant=minbase "$suite" "$root" "$url" >"$work/debootstrap.log" 2>&1; then
    tail -n 5 "$work/debootstrap.log"
    without_root "debootstrap could not make a root from $url"
fi
mount -t proc proc "$root/proc" || without_root "/proc cannot be mounted in the chroot"

# --- In the root. ---
in_root() {
    chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 HOME=/root \
        DEBIAN_FRONTEND=noninteractive "$@"
}
as() { # as USER COMMAND...: in the root as that user, with the bare environment of a login
    local user=$1
    shift
    # chroot and env replace themselves with the command: a caller's $! is the command's.
    exec chroot --userspec="$(in_root id -u "$user"):$(in_root id -g "$user")" "$root" \
        env -i HOME="/home/$user" USER="$user" PATH=/usr/bin:/bin LANG=C.UTF-8 \
        ${display:+DISPLAY=127.0.0.1:$display} "$@"
}
as_user() { (as "$@"); }
apt_in_root() { # apt_in_root ARGS...: apt-get quietly; its own words when it fails
    in_root apt-get "$@" >"$work/apt.log" 2>&1 || {
        tail -n 20 "$work/apt.log"
        return 1
    }
}
sums() { (cd "$root" && md5sum "$dbA" "$iniA"); }

version=$(dpkg-deb -f "$deb" Version)
# The version before this one: the same files under a lower version number.
dpkg-deb -R "$deb" "$work/old"
sed -i "s/^Version: .*/Version: ${version}~prev/" "$work/old/DEBIAN/control"
dpkg-deb --root-owner-group -b "$work/old" "$root/tmp/zorikadesk-old.deb" >/dev/null
cp "$deb" "$root/tmp/zorikadesk.deb"

dbA=home/usera/.local/share/Velmora/ZorikaDesk/ZORIKA
iniA=home/usera/.config/Velmora/ZORIKADESK.ini
dbB=home/userb/.local/share/Velmora/ZorikaDesk/ZORIKA

files_in_place() {
    local f
    for f in usr/share/applications/com.velmora.ZorikaDesk.desktop \
        usr/share/icons/hicolor/48x48/apps/com.velmora.ZorikaDesk.png \
        usr/share/icons/hicolor/scalable/apps/com.velmora.ZorikaDesk.svg \
        usr/share/icons/hicolor/index.theme usr/share/man/man1/zorikadesk.1.gz \
        usr/share/man/ja/man1/zorikadesk.1.gz usr/share/qt6/translations/qtbase_ja.qm; do
        [ -f "$root/$f" ] || { echo "missing: /$f"; return 1; }
    done
    [ -x "$root/usr/bin/zorikadesk" ]
}
fonts_found() {
    local f
    for f in ipag.ttf ipam.ttf ipaexg.ttf ipaexm.ttf 'aoyagikouzan*'; do
        [ -n "$(find "$root/usr/share/fonts" -iname "$f" -print -quit)" ] ||
            { echo "no font $f"; return 1; }
    done
}
first_start_A() {
    local out
    out=$(as_user usera zorikadesk --check 2>&1) || { echo "$out"; return 1; }
    echo "$out"
    [ "$out" = "/$dbA: OK" ] && [ "$(in_root stat -c %U:%a "/$dbA")" = usera:600 ] &&
        [ -f "$root/$iniA" ]
}
upgrade() {
    apt_in_root install -y /tmp/zorikadesk.deb || return 1
    # shellcheck disable=SC2016 # dpkg-query's own field, not the shell's
    [ "$(in_root dpkg-query -W -f='${Version}' zorikadesk)" = "$version" ]
}
own_database_B() {
    as_user userb zorikadesk --check && [ "$(in_root stat -c %U:%a "/$dbB")" = userb:600 ]
}
root_start() {
    in_root zorikadesk --check && [ ! -e "$root/usr/bin/ZORIKA" ] &&
        [ -f "$root/root/.local/share/Velmora/ZorikaDesk/ZORIKA" ]
}
users_files_left() {
    [ "$(sums)" = "$before" ] && [ -f "$root/$dbB" ]
}
removed() {
    apt_in_root purge -y zorikadesk && [ ! -e "$root/usr/bin/zorikadesk" ] && users_files_left
}

check "the version before installs on a fresh Debian with its dependencies (apt)" \
    apt_in_root install -y /tmp/zorikadesk-old.deb
check "the program, menu entry, icons, manual pages and Qt's Japanese translations are in place" \
    files_in_place
check "the Japanese fonts came with it" fonts_found
in_root useradd -m -U usera
in_root useradd -m -U userb
check "user A's first start makes a database in A's data folder" first_start_A
before=$(sums)
check "the upgrade installs over the version before" upgrade
check "the upgrade keeps user A's database and settings" test "$(sums)" = "$before"
check "user A's database opens after the upgrade" as_user usera zorikadesk --check
before=$(sums) # opening a database writes to it
check "user B gets a database of their own" own_database_B
check "user B's start leaves A's files as they were" test "$(sums)" = "$before"
check "root's start writes nothing into /usr/bin" root_start

# The main menu on a display: this machine's Xvfb, reached from the root over TCP.
display=
if command -v Xvfb >/dev/null && command -v xwininfo >/dev/null; then
    Xvfb -displayfd 3 -listen tcp -ac -screen 0 800x600x24 3>"$work/display" \
        >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 50); do
        [ -s "$work/display" ] && break
        sleep 0.2
    done
    display=$(cat "$work/display")
fi
if [ -n "$display" ]; then
    (as usera zorikadesk >"$work/gui.log" 2>&1) &
    gui=$!
    shown=no
    for _ in $(seq 1 100); do
        if DISPLAY=:$display xwininfo -name Mmenu >/dev/null 2>&1; then
            shown=yes
            break
        fi
        kill -0 $gui 2>/dev/null || break
        sleep 0.2
    done
    check "the installed program shows its main menu to user A" test $shown = yes
    if [ $shown = yes ]; then
        class=$(DISPLAY=:$display xprop -name Mmenu WM_CLASS)
        check "its window class is the menu entry's StartupWMClass" grep -q '"ZorikaDesk"$' \
            <<<"$class"
        if [ -n "$screenshot" ] && command -v import >/dev/null; then
            sleep 1 # the first paint
            DISPLAY=:$display import -window root "$screenshot" &&
                echo "package: the main menu is in $screenshot"
        fi
    fi
    kill -TERM $gui 2>/dev/null || true
    rc=0
    wait $gui || rc=$?
    check "it ends on SIGTERM with status 0" test $rc -eq 0
    if [ $rc -ne 0 ] || [ $shown = no ]; then cat "$work/gui.log"; fi
    display=
else
    echo "package: no Xvfb here: the main menu is not tried on a display"
fi

before=$(sums)
check "removing the package (apt-get purge) leaves the users' databases and settings" removed

[ $failures -eq 0 ]
