#include "pages/PrinterInfo.h"

#include <cmath>

TPrinterInfo TPrinterInfo::fromDots(std::int32_t paperWidth, std::int32_t paperHeight,
                                    std::int32_t printableWidth, std::int32_t printableHeight,
                                    std::int32_t offsetX, std::int32_t offsetY, std::int32_t dpiX,
                                    std::int32_t dpiY, bool landscape, std::int32_t scalePercent) {
    TPrinterInfo info;
    const auto mmX = [dpiX](double dots) { return dots / dpiX * 25.4; };
    const auto mmY = [dpiY](double dots) { return dots / dpiY * 25.4; };
    info.DpiX = dpiX;
    info.DpiY = dpiY;
    info.PrintableWidthDots = printableWidth;
    info.PrintableHeightDots = printableHeight;
    info.PrintableWidthMm = mmX(printableWidth);
    info.PrintableHeightMm = mmY(printableHeight);
    info.PaperWidthDots = paperWidth;
    info.PaperHeightDots = paperHeight;
    info.PaperWidthMm = mmX(paperWidth);
    info.PaperHeightMm = mmY(paperHeight);
    info.OffsetXDots = offsetX;
    info.OffsetYDots = offsetY;
    info.RightUnprintableDots = paperWidth - printableWidth - offsetX;
    info.BottomUnprintableDots = paperHeight - printableHeight - offsetY;
    info.OffsetXmm = mmX(offsetX);
    info.OffsetYmm = mmY(offsetY);
    info.RightUnprintableMm = mmX(info.RightUnprintableDots);
    info.BottomUnprintableMm = mmY(info.BottomUnprintableDots);
    info.ScalePercent = scalePercent;
    const double unscaled[8] = {info.PrintableWidthMm,   info.PrintableHeightMm,  info.PaperWidthMm,
                                info.PaperHeightMm,      info.OffsetXmm,          info.OffsetYmm,
                                info.RightUnprintableMm, info.BottomUnprintableMm};
    for (int i = 0; i < 8; ++i)
        info.ScaledMm[i] = scalePercent * unscaled[i] / 100;
    info.Landscape = landscape ? 1 : 0;
    return info;
}

TPrinterInfo TPrinterInfo::forPaper(QSizeF paperMm, std::int32_t dpi, bool landscape) {
    // std::nearbyint rounds halves to even in the default rounding mode.
    const auto dots = [dpi](double mm) {
        return static_cast<std::int32_t>(std::nearbyint(mm / 25.4 * dpi));
    };
    const std::int32_t w = dots(paperMm.width());
    const std::int32_t h = dots(paperMm.height());
    return fromDots(w, h, w, h, 0, 0, dpi, dpi, landscape);
}
