#!/usr/bin/env bash
# Every option that the program's --help lists has its own item in both manual pages, every
# kind of --print is named there, and both pages format without a warning at the width
# Debian's checks use.
set -u
program=$(realpath "$1")
shift
status=0
options=$(QT_QPA_PLATFORM=offscreen "$program" --help | grep -oE '^ +(-[a-z], )?--[a-z-]+' |
    grep -oE -- '--[a-z-]+$')
[ -n "$options" ] || { echo "no options in --help"; exit 1; }
# The kinds of --print, as its answer to an unknown one lists them: "（kokuyo, envelope のいずれか）".
kinds=$(cd "${TMPDIR:-/tmp}" && "$program" --print none --slip 1 --output none.pdf 2>&1 |
    sed -nE 's/.*（(.*) のいずれか）.*/\1/p' | tr -d ',')
[ -n "$kinds" ] || { echo "no kinds in the answer to an unknown --print kind"; exit 1; }
for page in "$@"; do
    # The item headings of the options section (the line after each .TP), with roff's \- as
    # a plain minus.
    items=$(awk '/^\.SH/ { opts = /OPTIONS|オプション/ }
                 opts && tag { print; tag = 0 }
                 opts && /^\.TP/ { tag = 1 }' "$page" | sed 's/\\-/-/g')
    for option in $options; do
        grep -qE -- "(^|[ \"])${option}([ \",]|\$)" <<<"$items" ||
            { echo "$page: no item for $option"; status=1; }
    done
    for kind in $kinds; do
        grep -qx "\.B $kind" "$page" || { echo "$page: the --print kind $kind is missing"; status=1; }
    done
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z \
        "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || { echo "$page:"; echo "$warnings"; status=1; }
done
exit $status
