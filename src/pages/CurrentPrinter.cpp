#include "pages/CurrentPrinter.h"

#include <QPrinter>
#include <QPrinterInfo>

#include "pages/PagesErrors.h"
#include "pages/PrinterError.h"
#include "pages/QueueResolution.h"

namespace current_printer {

namespace {
std::unique_ptr<QPrinter>& slot() {
    static std::unique_ptr<QPrinter> printer;
    return printer;
}
// Qt gives every queue the same resolution (1200 dpi in high-resolution mode), whatever the
// device prints at; the layout's dots should be the queue's own.
void useQueueGeometry(QPrinter& printer) {
    printer.setResolution(queue_resolution::forQueue(printer.printerName()));
    // Qt starts every page layout with margins of its own choosing (10 points) and only keeps
    // them from going below the device's unprintable strips. The layout expects the printable
    // area of the device itself, as a printer driver reports it, so use exactly those strips.
    const QPageLayout layout = printer.pageLayout();
    printer.setFullPage(false);
    printer.setPageMargins(layout.minimumMargins(), layout.units());
}

} // namespace

QPrinter& get() {
    std::unique_ptr<QPrinter>& printer = slot();
    if (!printer)
        printer = createDefault();
    // A printer object needs the application object; without it nothing can be printed.
    if (!printer || !printer->isValid())
        throw EPrinterError(pages_errors::NoPrinter);
    return *printer;
}

void replace(std::unique_ptr<QPrinter> printer) {
    slot() = std::move(printer);
}

std::unique_ptr<QPrinter> createDefault() {
    const QPrinterInfo queue = QPrinterInfo::defaultPrinter();
    if (!queue.isNull()) {
        if (auto printer = createForQueue(queue))
            return printer;
    }
    return createPdfPrinter();
}

std::unique_ptr<QPrinter> createForQueue(const QPrinterInfo& queue) {
    if (queue.isNull())
        return nullptr;
    auto printer = std::make_unique<QPrinter>(queue, QPrinter::HighResolution);
    if (!printer->isValid() || printer->outputFormat() != QPrinter::NativeFormat)
        return nullptr;
    useQueueGeometry(*printer);
    return printer;
}

void followQueue(QPrinter& printer, const QString& previousQueue) {
    if (printer.outputFormat() == QPrinter::NativeFormat && printer.printerName() != previousQueue)
        useQueueGeometry(printer);
}

bool nowhereToPrint() {
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        return false;
    const QPrinter& printer = get();
    return printer.outputFormat() != QPrinter::NativeFormat && printer.outputFileName().isEmpty();
}

std::unique_ptr<QPrinter> createPdfPrinter() {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setResolution(600);
    printer->setPageSize(QPageSize(QPageSize::A4));
    printer->setPageOrientation(QPageLayout::Portrait);
    printer->setFullPage(true);
    printer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    return printer;
}

} // namespace current_printer
