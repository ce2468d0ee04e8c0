#pragma once
// The zoom at which the page picture fits the preview's scrolling area: the whole page, or
// its width (the page then scrolls up and down).

#include <QSize>

#include "pages/PrinterInfo.h"

namespace fit_zoom {

enum class Fit { Page, Width };

struct Area {
    QSize viewport;      // the scrolling area's inside without scroll bars
    int scrollBarExtent; // what a scroll bar takes from it
    int extra;           // pixels the scrolled content adds to the picture's width and height
};

// The largest whole zoom percent, at least 20, at which the picture of printer's paper (with
// its shadow, at the screen's dpi) and the extra space around it fit: in the viewport for the whole
// page; in its width for the page width, less a vertical scroll bar when the page is then taller
// than the viewport.
int percent(Fit fit, const TPrinterInfo& printer, double screenDpiX, double screenDpiY,
            const Area& area);

} // namespace fit_zoom
