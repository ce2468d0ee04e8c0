#pragma once
// The one process-wide record of layout and output settings. Plain data: the settings and font
// dialogs and the preview window write it, the layout and drawing code only read it.

#include <QtGlobal>
#include <array>
#include <cstdint>

#include "document/ShortString.h"

struct TOutputSettings {
    std::uint32_t FrameColor = 0;       // 0x00BBGGRR, frame and page-number rule
    std::int32_t ShowPrintableArea = 0; // flags count as set only when equal to 1
    std::int32_t DrawOuterFrame = 0;
    std::int32_t DrawPageNumber = 0;
    std::int32_t DrawTableSideLines = 1;
    std::int32_t PageNumberStart = 1;
    std::int32_t BodyTopMarginMm = 5;
    std::int32_t BodyLeftMarginMm = 10;
    std::int32_t FrameTopMarginMm = 15;
    std::int32_t FrameBottomMarginMm = 10;
    std::int32_t FrameLeftMarginMm = 10;
    std::int32_t FrameRightMarginMm = 10;
    ShortString<8> FrameLineWidthText = "1";
    ShortString<8> PreviewZoomText = "100";
    // The preview's side panel for the rest of the run: shown or not, and its width in pixels
    // (0: its first width).
    std::int32_t PreviewPanelShown = 0;
    std::int32_t PreviewPanelWidth = 0;
    ShortString<32> DecorationFontName = QStringLiteral("ＭＳ 明朝");
    std::int32_t DecorationFontSize = 9;
    double LinePitchFactor = 1.2;
    double TablePitchFactor = 1.0;
    std::int32_t BitmapDrawType = 1; // 1 smooth (resample first), 2 stretched directly
    std::array<ShortString<30>, 3> FontName = {
        QStringLiteral("ＭＳ 明朝"), QStringLiteral("ＭＳ 明朝"), QStringLiteral("ＭＳ 明朝")};
    std::array<std::int32_t, 3> FontSize = {11, 9, 9};
};

// The process-wide record.
extern TOutputSettings OutputSettings;

// Sets every field of OutputSettings to its default.
void resetOutputSettings();
