#!/usr/bin/env python3
"""The output settings dialog "印字出力設定" and the fonts dialog "フォント設定"."""

from folioscope_e2e import (SAMPLE_PAGES, Failure, check, check_equal, run_cases, start_preview,
                            wait_for)

SETTINGS = "^印字出力設定$"
FONTS = "^フォント設定$"
# Client places in "印字出力設定": the top buttons and the frame's bottom margin box.
PREVIEW_BUTTON, CANCEL_BUTTON, HELP_BUTTON = (204, 36), (351, 36), (487, 36)
FRAME_BOTTOM_BOX = (322, 448)
# Client places in "フォント設定".
FONTS_OK, FONTS_CANCEL, FONT3_BUTTON = (133, 36), (261, 36), (212, 204)


def open_settings(session, preview):
    preview.press("settings")
    return session.window(SETTINGS)


def set_frame_bottom(session, dialog, text):
    dialog.click(*FRAME_BOTTOM_BOX)
    session.x(["xdotool", "key", "ctrl+a", "BackSpace"])
    session.x(["xdotool", "type", "--delay", "30", "--", text])


def margin_confirmed(session):
    p = start_preview(session)
    p.key("F8", "F8")
    d = open_settings(session, p)
    check_equal(d.read_text(*FRAME_BOTTOM_BOX), "10", "frame bottom margin shown")
    set_frame_bottom(session, d, "120")
    d.click(*PREVIEW_BUTTON)
    session.gone(SETTINGS)
    session.gone("^データ処理中...$")
    session.check_alive("after 印刷プレビュー")
    count = p.page_count()
    check(count > SAMPLE_PAGES, f"a larger bottom margin gives more pages than {SAMPLE_PAGES}: {count}")
    p.check_showing(3)
    d = open_settings(session, p)
    check_equal(d.read_text(*FRAME_BOTTOM_BOX), "120", "frame bottom margin shown again")
    d.click(*CANCEL_BUTTON)
    session.gone(SETTINGS)
    p.check_showing(3, count)


def margin_cancelled(session):
    p = start_preview(session)
    before = p.picture()
    for close in ("cancel", "close box", "Escape"):
        d = open_settings(session, p)
        set_frame_bottom(session, d, "120")
        if close == "cancel":
            d.click(*CANCEL_BUTTON)
        elif close == "close box":
            d.close_box()
        else:
            d.key("Escape")
        session.gone(SETTINGS)
        check_equal(p.picture(), before, f"picture after {close}")
    d = open_settings(session, p)
    check_equal(d.read_text(*FRAME_BOTTOM_BOX), "10", "frame bottom margin after the cancels")
    d.click(*CANCEL_BUTTON)
    session.gone(SETTINGS)
    p.check_showing(1, SAMPLE_PAGES)


def full_width_margin(session):
    p = start_preview(session)
    d = open_settings(session, p)
    d.paste(*FRAME_BOTTOM_BOX, "１２０")
    d.click(*PREVIEW_BUTTON)
    session.gone(SETTINGS)
    d = open_settings(session, p)
    stored = d.read_text(*FRAME_BOTTOM_BOX)
    d.click(*CANCEL_BUTTON)
    session.gone(SETTINGS)
    check_equal(stored, "120", "a full-width 120 stored as 120 mm")


def settings_help(session):
    p = start_preview(session)
    d = open_settings(session, p)
    d.click(*HELP_BUTTON)
    session.window("^Folioscope ヘルプ - 印字出力設定")
    d.click(*CANCEL_BUTTON)
    session.gone(SETTINGS)
    session.gone("^Folioscope ヘルプ")  # a window of the dialog: it closes with it
    d = open_settings(session, p)
    d.key("F1")
    try:
        session.window("^Folioscope ヘルプ - 印字出力設定", timeout=4)
    except Failure:
        raise Failure("F1 in 印字出力設定 shows no help")
    d.click(*CANCEL_BUTTON)
    session.gone(SETTINGS)
    p.check_showing(1)


def choose_face(session, dialog, face):
    """Font3's chooser: the face typed into its family box, confirmed with Enter."""
    dialog.click(*FONT3_BUTTON)
    chooser = session.window("^フォントの選択$")
    chooser.key("ctrl+a")
    session.x(["xdotool", "type", "--delay", "30", "--", face])
    session.x(["xdotool", "key", "Return"])
    session.gone("^フォントの選択$")


def font_chosen(session):
    p = start_preview(session)
    p.key("F8")  # page 2: body text in Font3
    before = p.changed_from(None, "page 2")
    for close in ("cancel", "close box"):
        p.press("fonts")
        d = session.window(FONTS)
        choose_face(session, d, "IPAGothic")
        d.click(*FONTS_CANCEL) if close == "cancel" else d.close_box()
        session.gone(FONTS)
        check_equal(p.picture(), before, f"picture after a face chosen and {close}")
    p.press("fonts")
    d = session.window(FONTS)
    choose_face(session, d, "IPAGothic")
    d.click(*FONTS_OK)
    session.gone(FONTS)
    p.changed_from(before, "the page laid out in the new face")
    session.check_alive("after the fonts changed")
    p.check_showing(2, SAMPLE_PAGES)


if __name__ == "__main__":
    run_cases("settings", [margin_confirmed, margin_cancelled, font_chosen, settings_help,
                           full_width_margin],
              env={"CUPS_SERVER": "/nonexistent/no-print-scheduler"})
