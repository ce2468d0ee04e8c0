#include "pages/ReadPrinterInfo.h"

#include <QPrinter>
#include <QPrinterInfo>

#include "pages/CurrentPrinter.h"
#include "pages/PagesErrors.h"
#include "pages/PrinterError.h"

void ReadPrinterInfo(TPrinterInfo& info) {
    QPrinter& printer = current_printer::get();
    // A queue chosen earlier may have been deleted since; a printer object keeps its last
    // geometry, so ask the print system whether the queue is still there.
    if (printer.outputFormat() == QPrinter::NativeFormat &&
        !QPrinterInfo::availablePrinterNames().contains(printer.printerName()))
        throw EPrinterError(pages_errors::NoPrinter);

    const int dpiX = printer.logicalDpiX();
    const int dpiY = printer.logicalDpiY();
    // Device pixels, (0, 0) at the paper's top-left corner; the page rectangle is the part of
    // the sheet the device can print on (the whole sheet with full-page printing).
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const QRectF printable = printer.pageRect(QPrinter::DevicePixel);
    if (dpiX <= 0 || dpiY <= 0 || paper.isEmpty() || printable.isEmpty())
        throw EPrinterError(pages_errors::NoPrinter);

    info = TPrinterInfo::fromDots(
        qRound(paper.width()), qRound(paper.height()), qRound(printable.width()),
        qRound(printable.height()), qRound(printable.left() - paper.left()),
        qRound(printable.top() - paper.top()), dpiX, dpiY,
        printer.pageLayout().orientation() == QPageLayout::Landscape, 100);
}
