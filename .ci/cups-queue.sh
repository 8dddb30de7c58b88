#!/usr/bin/env bash
# Starts (or stops) a CUPS scheduler with one PDF queue, ZorikaDesk-PDF, whose jobs the
# cups-pdf back-end writes as PDF files, so that printing through a real spooler can be
# tested. Needs root and the Debian packages cups and printer-driver-cups-pdf.
#   .ci/cups-queue.sh start   scheduler up (started here unless one runs), queue made default
#   .ci/cups-queue.sh stop    queue removed; the scheduler stopped if this script started it
# Exit status 0 when done; 1 with a message on standard error when CUPS cannot run here.
set -u
queue=ZorikaDesk-PDF
state=/run/zorikadesk-cups-started

die() { echo "cups-queue: $*" >&2; exit 1; }

scheduler_up() { lpstat -r 2>/dev/null | grep -q "is running"; }

start() {
    [ "$(id -u)" -eq 0 ] || die "needs root to start CUPS and add a queue"
    command -v cupsd >/dev/null || die "cupsd not installed (Debian package cups)"
    [ -x /usr/lib/cups/backend/cups-pdf ] ||
        die "cups-pdf back-end not installed (Debian package printer-driver-cups-pdf)"
    ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
    [ -f "$ppd" ] || ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd
    [ -f "$ppd" ] || die "no cups-pdf PPD found"
    if ! scheduler_up; then
        mkdir -p /run/cups
        cupsd || die "cupsd did not start"
        for _ in $(seq 50); do scheduler_up && break; sleep 0.2; done
        scheduler_up || die "the scheduler does not answer"
        pgrep -n -x cupsd >"$state"
    fi
    lpadmin -p "$queue" -E -v cups-pdf:/ -P "$ppd" -o printer-error-policy=abort-job ||
        die "lpadmin could not add the queue $queue"
    lpadmin -d "$queue" || die "could not make $queue the default printer"
    cupsenable "$queue" 2>/dev/null
    cupsaccept "$queue" 2>/dev/null
    echo "cups-queue: $queue ready"
}

stop() {
    if scheduler_up; then
        cancel -a "$queue" 2>/dev/null
        lpadmin -x "$queue" 2>/dev/null
    fi
    # Only the scheduler this script started, by the id it noted.
    if [ -f "$state" ]; then
        pid=$(cat "$state")
        rm -f "$state"
        # A stale note may name another process by now.
        [ -n "$pid" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = cupsd ] &&
            kill "$pid" 2>/dev/null
    fi
    return 0
}

case "${1:-}" in
start) start ;;
stop) stop ;;
*) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
