#pragma once
// Printer geometry: paper, printable area, offsets and resolution in device pixels (dots).
// Plain data, copied by value; the layout reads only this record, never a printer object.

#include <QSizeF>
#include <array>
#include <cstdint>

struct TPrinterInfo {
    std::int32_t PrintableWidthDots = 0;  // HORZRES
    std::int32_t PrintableHeightDots = 0; // VERTRES
    double PrintableWidthMm = 0;
    double PrintableHeightMm = 0;
    std::int32_t PaperWidthDots = 0;  // PHYSICALWIDTH
    std::int32_t PaperHeightDots = 0; // PHYSICALHEIGHT
    double PaperWidthMm = 0;
    double PaperHeightMm = 0;
    std::int32_t DpiX = 0;        // LOGPIXELSX
    std::int32_t DpiY = 0;        // LOGPIXELSY
    std::int32_t OffsetXDots = 0; // PHYSICALOFFSETX: unprintable strip at the left edge
    std::int32_t OffsetYDots = 0; // PHYSICALOFFSETY: unprintable strip at the top edge
    std::int32_t RightUnprintableDots = 0;
    std::int32_t BottomUnprintableDots = 0;
    double OffsetXmm = 0;
    double OffsetYmm = 0;
    double RightUnprintableMm = 0;
    double BottomUnprintableMm = 0;
    std::int32_t ScalePercent = 100;
    std::array<double, 8> ScaledMm{};
    std::int32_t Landscape = 0;

    // Builds the record from device numbers and derives every millimetre value.
    static TPrinterInfo fromDots(std::int32_t paperWidth, std::int32_t paperHeight,
                                 std::int32_t printableWidth, std::int32_t printableHeight,
                                 std::int32_t offsetX, std::int32_t offsetY, std::int32_t dpiX,
                                 std::int32_t dpiY, bool landscape = false,
                                 std::int32_t scalePercent = 100);

    // A whole sheet of paperMm at dpi, printable to its edges (PDF output, tests):
    // each side is Nearest(mm / 25.4 * dpi).
    static TPrinterInfo forPaper(QSizeF paperMm, std::int32_t dpi, bool landscape = false);
};
