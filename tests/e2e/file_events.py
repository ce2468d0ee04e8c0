#!/usr/bin/env python3
"""The report changed under an open preview (rewritten in place, replaced by rename, deleted),
and "戻る" to the main window, from which "ファイルを開く" opens another report."""

import os
import shutil

from folioscope_e2e import (SAMPLE_PAGES, SAMPLE_REPORT, Preview, check, check_equal, run_cases,
                            start_preview, wait_for)

OPEN_BUTTON = (252, 60)


def report_copy(session, name="report.txt"):
    path = os.path.join(session.tmp, name)
    shutil.copy(SAMPLE_REPORT, path)
    figures = os.path.join(session.tmp, "figures")  # named beside the report
    if not os.path.isdir(figures):
        shutil.copytree(os.path.join(os.path.dirname(SAMPLE_REPORT), "figures"), figures)
    return path


def shorter(lines):
    """The first part of the sample report: fewer pages."""
    with open(SAMPLE_REPORT, "rb") as f:
        return b"".join(f.readlines()[:lines])


def rewritten_and_renamed(session):
    path = report_copy(session)
    p = start_preview(session, path)
    p.key("End")
    wait_for("the last page", lambda: p.page() == str(SAMPLE_PAGES))
    with open(path, "wb") as f:  # rewritten in place
        f.write(shorter(200))
    wait_for("the shorter report laid out", lambda: p.page() not in ("", str(SAMPLE_PAGES)))
    session.check_alive("after the report was rewritten")
    count = p.page_count()
    check(count < SAMPLE_PAGES, f"the shorter report has fewer pages: {count}")
    p.check_showing(count, count)  # the page clamped to the new last one
    replacement = path + ".new"
    shutil.copy(SAMPLE_REPORT, replacement)
    os.rename(replacement, path)  # replaced by rename, as editors save
    p.key("Home")
    wait_for("the whole report laid out again", lambda: p.page_count() == SAMPLE_PAGES)
    session.check_alive("after the report was replaced")
    p.check_showing(1, SAMPLE_PAGES)


def deleted(session):
    path = report_copy(session)
    p = start_preview(session, path)
    p.key("F8")
    p.changed_from(None, "page 2")
    top = p.window.digest((0, 73, 700, 40))
    os.remove(path)
    wait_for("the note that the file cannot be read", lambda: p.window.digest((0, 73, 700, 40)) != top)
    session.check_alive("after the report was deleted")
    p.check_showing(2, SAMPLE_PAGES)  # the pages stay


def return_and_open_other(session):
    first = report_copy(session)
    other = os.path.join(session.tmp, "other.txt")
    with open(other, "wb") as f:
        f.write(shorter(200))
    p = start_preview(session, first)
    p.press("return")
    main = session.window("^Folioscope$")
    session.check_alive("after 戻る")
    main.click(*OPEN_BUTTON)
    chooser = wait_for("the open dialog", lambda: [w for w in session.find_windows(".")
                                                     if w.title() != "Folioscope"])[0]
    chooser.key("ctrl+a")
    session.x(["xdotool", "type", "--delay", "20", "--", other])
    session.x(["xdotool", "key", "Return"])
    q = Preview(session, other)
    count = q.page_count()
    check(count < SAMPLE_PAGES, f"the other report has fewer pages: {count}")
    q.check_showing(1, count)
    check(not session.find_windows("^Folioscope$"), "the main window hides under the preview")


if __name__ == "__main__":
    run_cases("files", [rewritten_and_renamed, deleted, return_and_open_other],
              env={"CUPS_SERVER": "/nonexistent/no-print-scheduler"})
