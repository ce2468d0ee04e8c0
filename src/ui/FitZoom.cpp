#include "ui/FitZoom.h"

#include <cmath>

#include "ui/PageImage.h"
#include "ui/PreviewZoom.h"

namespace fit_zoom {

int percent(Fit fit, const TPrinterInfo& printer, double screenDpiX, double screenDpiY,
            const Area& area) {
    const auto content = [&](int p) {
        const QSize picture = PageImage::pictureSize(printer, preview_zoom::factorFromPercent(p),
                                                     screenDpiX, screenDpiY);
        return picture + QSize(area.extra, area.extra);
    };
    const auto fits = [&](int p) {
        const QSize c = content(p);
        if (fit == Fit::Page)
            return c.width() <= area.viewport.width() && c.height() <= area.viewport.height();
        const int bar = c.height() > area.viewport.height() ? area.scrollBarExtent : 0;
        return c.width() <= area.viewport.width() - bar;
    };
    const int minimum = int(preview_zoom::MinimumPercent);
    // The picture grows in proportion to the zoom (but for rounding): start from the
    // proportional guess and settle on the exact answer around it.
    const QSize base = content(100) - QSize(area.extra, area.extra);
    if (base.isEmpty())
        return minimum;
    double guess = double(area.viewport.width() - area.extra) * 100 / base.width();
    if (fit == Fit::Page)
        guess = std::min(guess, double(area.viewport.height() - area.extra) * 100 / base.height());
    int p = int(std::clamp(guess, double(minimum), 100000.0)) + 2;
    while (p > minimum && !fits(p))
        --p;
    while (p < 100000 && fits(p + 1))
        ++p;
    return std::max(p, minimum);
}

} // namespace fit_zoom
