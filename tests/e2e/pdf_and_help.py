#!/usr/bin/env python3
""""PDF出力..." (saved, cancelled), help from the preview and the main window (button, F1),
and "印字出力..." where no printer is set up (this script sees no print scheduler)."""

import os
import re
import subprocess

from folioscope_e2e import (SAMPLE_PAGES, Failure, check, check_equal, run_cases, start_preview,
                            wait_for)

PDF_DIALOG = "^PDF出力$"
PREVIEW_HELP = "^Folioscope ヘルプ - 印刷プレビュー画面"
MAIN_HELP_BUTTON = (466, 22)


def pdf_saved_and_cancelled(session):
    p = start_preview(session)
    target = os.path.join(session.tmp, "out.pdf")
    p.press("pdf")
    session.window(PDF_DIALOG).key("Escape")
    session.gone(PDF_DIALOG)
    p.press("pdf")
    d = session.window(PDF_DIALOG)
    d.key("ctrl+a")
    session.x(["xdotool", "type", "--delay", "20", "--", target])
    session.x(["xdotool", "key", "Return"])
    session.gone(PDF_DIALOG)
    wait_for("the PDF file", lambda: os.path.exists(target))
    session.gone("^PDF出力中...$")
    info = subprocess.run(["pdfinfo", target], capture_output=True, text=True).stdout
    check_equal(int(re.search(r"Pages:\s+(\d+)", info).group(1)), SAMPLE_PAGES, "pages of the PDF")
    check_equal(sorted(os.listdir(session.tmp)).count("out.pdf"), 1, "one PDF written")
    p.check_showing(1, SAMPLE_PAGES)


def preview_help(session):
    p = start_preview(session)
    p.press("help")
    h = session.window(PREVIEW_HELP)
    h.close_box()
    session.gone(PREVIEW_HELP)
    session.check_alive("after the help window closed")
    p.key("F1")
    session.window(PREVIEW_HELP)
    p.check_showing(1, SAMPLE_PAGES)


def main_window_help(session):
    session.start()
    main = session.window("^Folioscope$")
    main.click(*MAIN_HELP_BUTTON)
    h = session.window("^Folioscope ヘルプ")
    h.close_box()
    session.gone("^Folioscope ヘルプ")
    main.key("F1")
    try:
        session.window("^Folioscope ヘルプ", timeout=4)
    except Failure:
        raise Failure("F1 in the main window shows no help")
    check(session.find_windows("^Folioscope$"), "the main window is still shown")


def no_printer_warning(session):
    p = start_preview(session)
    p.press("print")
    try:
        warning = session.window("^警告$", timeout=4)
    except Failure:
        raise Failure("no warning that no printer is set up before the print dialog")
    warning.key("Return")
    session.gone("^警告$")
    check(not session.find_windows("^印刷$"), "the print dialog opened without a printer")
    p.check_showing(1, SAMPLE_PAGES)


if __name__ == "__main__":
    run_cases("pdf_help", [pdf_saved_and_cancelled, preview_help, main_window_help,
                           no_printer_warning],
              env={"CUPS_SERVER": "/nonexistent/no-print-scheduler"})
