#!/usr/bin/env bash
# Time and peak memory of printing the large benchmark report through the test print queue:
# folioscope --print, and --pdf into a file, against paps | lp on the same text. Needs root (it
# starts the headless test scheduler unless one runs) and poppler-utils.
#   bench/print-vs-paps.sh [FOLIOSCOPE_BINARY] [REPORT]     (from the repository root)
# The queue is disabled while measuring, so jobs wait in the spool folder instead of being
# rendered again by the PDF backend: what is measured is the time until the whole job has been
# handed to the scheduler. The jobs are cancelled afterwards.
set -euo pipefail
bin=${1:-build/folioscope}
report=${2:-/tmp/large-report.txt}
queue=FolioscopeTestPDF
script=${CUPS_TEST_PRINTER:-}
for candidate in ../shared/cups-test-printer.sh ../../shared/cups-test-printer.sh; do
  [[ -z $script && -f $candidate ]] && script=$candidate
done
[[ -n $script ]] || { echo "cups-test-printer.sh not found; set CUPS_TEST_PRINTER" >&2; exit 2; }
[[ -f $report ]] || python3 bench/make-large-report.py 100000 "$report"

started=0
lpstat -r 2>/dev/null | grep -q "is running" || started=1
"$script" start "$(mktemp -d)" >/dev/null
# cupsctl in the start script restarts the scheduler; wait until it answers again.
for _ in $(seq 1 40); do cupsdisable "$queue" 2>/dev/null && break; sleep 0.5; done
lpstat -p "$queue" | grep -q disabled || { echo "cannot hold the queue" >&2; exit 1; }
cleanup() {
  cancel -a "$queue" 2>/dev/null || true
  cupsenable "$queue" || true
  if [[ $started == 1 ]]; then "$script" stop; fi
}
trap cleanup EXIT

# sed reads the whole listing: head would stop ls with SIGPIPE, which pipefail turns into an exit.
newest_job() { ls -t /var/spool/cups/d*-001 | sed -n 1p; }
echo "report: $report, $(wc -l <"$report") lines, $(stat -c %s "$report") bytes"

/usr/bin/time -f "folioscope --print: %e s wall, %U s user, %S s sys, %M KB peak RSS" \
  "$bin" --print --printer "$queue" --frame --page-numbers "$report" >/dev/null
spool=$(newest_job)
echo "  job file $(stat -c %s "$spool") bytes, $(pdfinfo "$spool" | awk '/^Pages:/ {print $2}') pages"

pdf_dir=$(mktemp -d)
/usr/bin/time -f "folioscope --pdf: %e s wall, %U s user, %S s sys, %M KB peak RSS" \
  "$bin" --pdf "$pdf_dir/report.pdf" "$report" >/dev/null
echo "  PDF $(stat -c %s "$pdf_dir/report.pdf") bytes"
rm -r "$pdf_dir"

/usr/bin/time -f "paps | lp: %e s wall, %U s user, %S s sys, %M KB peak RSS (largest process)" \
  bash -c "paps --encoding=CP932 --font='IPAGothic 9' '$report' | lp -d '$queue' -t 'paps' >/dev/null"
spool=$(newest_job)
echo "  job file $(stat -c %s "$spool") bytes"
