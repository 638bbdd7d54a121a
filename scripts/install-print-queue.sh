#!/usr/bin/env bash
# Installs the print queue "Parvex Fax" into CUPS, or removes it (--remove).
#
#   scripts/install-print-queue.sh [--remove] [--backend FILE] [--backend-dir DIR]
#                                  [--ppd-dir DIR] [--queue NAME]
#
# The backend lands as DIR/parvex, mode 0700 and owned by root when run as
# root, so that CUPS runs it as root and it can act as each job's user; the
# PPD lands in /usr/share/ppd/parvex. The queue is made with lpadmin, which
# talks to the scheduler named by CUPS_SERVER when that is set.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

remove=0
backend=$top/build/bin/parvex-cups-backend
backend_dir=/usr/lib/cups/backend
ppd_dir=/usr/share/ppd/parvex
queue=Parvex_Fax
ppd_source=$top/resources/printqueue/parvex-fax.ppd

while [ $# -gt 0 ]; do
    case $1 in
        --remove) remove=1 ;;
        --backend) backend=$2; shift ;;
        --backend-dir) backend_dir=$2; shift ;;
        --ppd-dir) ppd_dir=$2; shift ;;
        --queue) queue=$2; shift ;;
        -h|--help) sed -n '2,11p' "$0"; exit 0 ;;
        *) echo "install-print-queue: unknown option $1" >&2; exit 2 ;;
    esac
    shift
done

installed_backend=$backend_dir/parvex
installed_ppd=$ppd_dir/parvex-fax.ppd

if [ $remove -eq 1 ]; then
    lpadmin -x "$queue" 2>/dev/null || true
    rm -f "$installed_backend" "$installed_ppd"
    rmdir "$ppd_dir" 2>/dev/null || true
    echo "Removed the print queue $queue."
    exit 0
fi

if [ ! -x "$backend" ]; then
    echo "install-print-queue: no backend at $backend (build parvex-cups-backend first)" >&2
    exit 1
fi
mkdir -p "$backend_dir" "$ppd_dir"
if [ "$(id -u)" -eq 0 ]; then
    install -m 0700 -o root -g root "$backend" "$installed_backend"
else
    install -m 0700 "$backend" "$installed_backend"
fi
install -m 0644 "$ppd_source" "$installed_ppd"
# lpadmin warns that PPD files are deprecated; the queue works all the same.
if ! out=$(lpadmin -p "$queue" -E -v parvex:/fax -P "$installed_ppd" -D "Parvex Fax" \
    -L "the Parvex outgoing log" -o printer-error-policy=abort-job 2>&1); then
    echo "$out" >&2
    exit 1
fi
cupsenable "$queue"
cupsaccept "$queue"
echo "Installed the print queue $queue: print to it, then find the fax in Parvex's outgoing log."
