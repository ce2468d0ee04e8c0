#!/usr/bin/env python3
"""The printer setup and the print dialog, printing on the test scheduler's PDF queue.

Needs root and ../shared/cups-test-printer.sh; a scheduler already running is used and left
running, one started here is stopped again. What reached the scheduler is read from the job's
spool file (the PDF as the program sent it) and its control file (copies)."""

import glob
import os
import re
import subprocess
import sys

from folioscope_e2e import (SAMPLE_PAGES, SOURCE_DIR, CaseSkipped, Failure, check, check_equal,
                            run_cases, skip, start_preview, wait_for)

QUEUE = "FolioscopeTestPDF"
SPOOL = "/var/spool/cups"
PRINT, SETUP = "^印刷$", "^ページ設定$"
# Client places in the print dialog once its options are shown ("オプション(O) >>").
ALL_PAGES, FROM_TO, FROM_BOX, TO_BOX = (38, 190), (38, 215), (147, 215), (283, 215)
PAGE_LIST, PAGE_LIST_BOX, COPIES_BOX = (38, 242), (200, 242), (400, 195)
# Client places in the page setup dialog.
LANDSCAPE, SETUP_OK, SETUP_CANCEL = (30, 202), (262, 507), (340, 507)


def script():
    for folder in (os.path.join(SOURCE_DIR, "..", "shared"), os.path.join(SOURCE_DIR, "..", "..", "shared")):
        path = os.path.join(folder, "cups-test-printer.sh")
        if os.path.exists(path):
            return os.path.abspath(path)
    return None


def scheduler_running():
    return "is running" in subprocess.run(["lpstat", "-r"], capture_output=True, text=True).stdout


def quiet(*args):
    return subprocess.run(args, capture_output=True, text=True, timeout=60).returncode == 0


def jobs():
    return {int(m.group(1)) for f in glob.glob(os.path.join(SPOOL, "c*"))
            if (m := re.fullmatch(r"c(\d+)", os.path.basename(f)))}


def wait_idle():
    wait_for("the queue to be idle", lambda: not subprocess.run(
        ["lpstat", "-o"], capture_output=True, text=True).stdout.strip(), timeout=60, interval=0.25)


def new_job(before):
    job = wait_for("a new print job", lambda: sorted(jobs() - before), timeout=20)
    check_equal(len(job), 1, "number of new jobs")
    wait_idle()
    return job[0]


def page_texts(job):
    path = os.path.join(SPOOL, f"d{job:05d}-001")
    pages = int(re.search(r"Pages:\s+(\d+)", subprocess.run(
        ["pdfinfo", path], capture_output=True, text=True).stdout).group(1))
    return [" ".join(subprocess.run(["pdftotext", "-f", str(n), "-l", str(n), path, "-"],
                                    capture_output=True, text=True).stdout.split())
            for n in range(1, pages + 1)]


def copies(job):
    with open(os.path.join(SPOOL, f"c{job:05d}"), "rb") as f:
        data = f.read()
    m = re.search(rb"\x21\x00\x06copies\x00\x04(....)", data, re.S)
    return int.from_bytes(m.group(1), "big") if m else 1


REFERENCE = []  # the text of every page, from the job that printed them all


def print_with(session, preview, choose):
    """Opens the print dialog, shows its options, lets choose() fill it, prints; the job."""
    before = jobs()
    preview.press("print")
    d = session.window(PRINT)
    d.key("alt+o")
    wait_for("the dialog's options", lambda: (d.moved(), d.geometry()[3] > 300)[1])
    choose(d)
    d.key("alt+p")
    session.gone(PRINT)
    job = new_job(before)
    session.check_alive("after printing")
    return job


def set_box(session, d, place, text):
    d.click(*place)
    session.x(["xdotool", "key", "ctrl+a"])
    session.x(["xdotool", "type", "--delay", "30", "--", text])


def all_pages(session):
    p = start_preview(session)
    job = print_with(session, p, lambda d: d.click(*ALL_PAGES))
    texts = page_texts(job)
    check_equal(len(texts), SAMPLE_PAGES, "pages printed")
    check("構 造 計 算 書" in texts[0] or "構造計算書" in texts[0].replace(" ", ""),
          "page 1 of the job is the title page")
    REFERENCE[:] = texts
    p.check_showing(1, SAMPLE_PAGES)


def from_to(session):
    if not REFERENCE:
        raise CaseSkipped("no reference pages: printing all pages failed")
    p = start_preview(session)

    def choose(d):
        d.click(*FROM_TO)
        set_box(session, d, TO_BOX, "5")
        set_box(session, d, FROM_BOX, "3")
    texts = page_texts(print_with(session, p, choose))
    check_equal(texts, REFERENCE[2:5], "pages 3 to 5")
    p.check_showing(1, SAMPLE_PAGES)


def page_list(session):
    if not REFERENCE:
        raise CaseSkipped("no reference pages: printing all pages failed")
    p = start_preview(session)

    def choose(d):
        d.click(*PAGE_LIST)
        set_box(session, d, PAGE_LIST_BOX, "1,3,5-7")
    texts = page_texts(print_with(session, p, choose))
    wanted = [REFERENCE[n - 1] for n in (1, 3, 5, 6, 7)]
    check_equal(len(texts), len(wanted), "pages printed for 1,3,5-7")
    check(texts == wanted, "the pages printed for 1,3,5-7 are pages 1, 3, 5, 6 and 7")
    p.check_showing(1, SAMPLE_PAGES)


def two_copies_and_cancel(session):
    p = start_preview(session)
    job = print_with(session, p, lambda d: (d.click(*ALL_PAGES),
                                             set_box(session, d, COPIES_BOX, "2")))
    check_equal(copies(job), 2, "copies of the job")
    check_equal(len(page_texts(job)), SAMPLE_PAGES, "pages of the job")
    before = jobs()
    p.press("print")
    session.window(PRINT).key("Escape")
    session.gone(PRINT)
    check_equal(jobs() - before, set(), "jobs after キャンセル")
    p.check_showing(1, SAMPLE_PAGES)


def printer_setup(session):
    p = start_preview(session)
    p.key("F8")
    before = p.changed_from(None, "page 2")
    p.press("printer_setup")
    session.window(SETUP).click(*SETUP_CANCEL)
    session.gone(SETUP)
    check_equal(p.picture(), before, "picture after キャンセル")
    p.press("printer_setup")
    session.window(SETUP).click(*SETUP_OK)
    session.gone(SETUP)
    session.gone("^データ処理中...$")
    session.check_alive("after OK in the printer setup")
    p.check_showing(2, SAMPLE_PAGES)
    p.press("printer_setup")
    d = session.window(SETUP)
    d.click(*LANDSCAPE)
    d.click(*SETUP_OK)
    session.gone(SETUP)
    p.changed_from(before, "the page laid out in landscape")
    session.check_alive("after landscape")
    count = p.page_count()
    check(count > SAMPLE_PAGES, f"landscape has more pages than {SAMPLE_PAGES}: {count}")
    p.check_showing(2)


def main():
    reason = None
    if os.geteuid() != 0:
        reason = "starting a print scheduler needs root"
    elif not script():
        reason = "cups-test-printer.sh is not there"
    elif not os.path.exists("/usr/sbin/cupsd"):
        reason = "cupsd is not installed"
    if reason:
        skip("printing", reason)
    started_here = not scheduler_running()
    if not (quiet("lpstat", "-p", QUEUE) and quiet("lpadmin", "-d", QUEUE)):
        if not quiet("bash", script(), "start", "/tmp/folioscope-cups-out"):
            skip("printing", "the test print scheduler did not start")
    try:
        run_cases("printing", [all_pages, from_to, page_list, two_copies_and_cancel, printer_setup])
    finally:
        if started_here:
            quiet("bash", script(), "stop")


if __name__ == "__main__":
    main()
