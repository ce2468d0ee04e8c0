#include "pages/PagePrinter.h"

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QSaveFile>
#include <QTemporaryFile>
#include <stdexcept>

#include "pages/CountingDevice.h"
#include "pages/CupsJob.h"
#include "pages/EnginePages.h"
#include "pages/OutputError.h"
#include "pages/PagePdfWriter.h"
#include "pages/PagesErrors.h"
#include "pages/PdfFinisher.h"
#include "pages/PrintPreview.h"
#include "pages/PrintProgress.h"
#include "pages/PrinterError.h"
#include "platform/Rounding.h"

namespace page_printer {

namespace {

// The page layout the printer's own engine would give its PDF: its paper, orientation and
// margins, so that the painter's origin is the corner of the printable area here too.
QPageLayout spoolLayout(const QPrinter& printer) {
    QPageLayout layout = printer.pageLayout();
    if (printer.fullPage()) {
        layout.setMode(QPageLayout::FullPageMode);
        layout.setMargins(QMarginsF());
    }
    return layout;
}

// Copies the finished spool file to the PDF printer's output file, which appears only whole.
void deliverToFile(const QString& spool, const QString& path) {
    QFile in(spool);
    QSaveFile out(path);
    if (!in.open(QIODevice::ReadOnly))
        throw page_pdf::notWritten(spool, in.errorString());
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw page_pdf::notWritten(path, out.errorString());
    CountingDevice counted(out);
    while (!in.atEnd() && !counted.failed()) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty())
            break;
        counted.write(chunk);
    }
    if (!in.atEnd() || !counted.finish()) {
        out.cancelWriting();
        throw page_pdf::notWritten(path, counted.failed() ? counted.failure() : in.errorString());
    }
    if (!out.commit())
        throw page_pdf::notWritten(path, out.errorString());
}

} // namespace

QPoint pageOrigin(const TPrinterInfo& info) {
    return QPoint(-rounding::nearest(info.OffsetXmm / 25.4 * info.DpiX),
                  -rounding::nearest(info.OffsetYmm / 25.4 * info.DpiY));
}

Result print(const TPrintPreview& store, QPrinter& printer, const TPrinterInfo& info, int first,
             int last, PrintProgress* progress) {
    return print(store, printer, info, PrintPages::range(first, last), progress);
}

Result print(const TPrintPreview& store, QPrinter& printer, const TPrinterInfo& info,
             const PrintPages& pages, PrintProgress* progress) {
    Result result;
    printer.setDocName(QString::fromUtf8(DocumentName));
    const QList<int> numbers = pages.numbers();
    if (numbers.isEmpty())
        return result;
    const bool queue = printer.outputFormat() == QPrinter::NativeFormat;
    if (!queue && printer.outputFileName().isEmpty())
        throw EPrinterError(pages_errors::NoPrinter);
    // Every range's ends first: a page beyond the page count fails before anything is drawn.
    for (const QPageRanges::Range& range : pages.Ranges.toRangeList()) {
        store.GetPage(range.from - 1);
        store.GetPage(range.to - 1);
    }

    QTemporaryFile spool(QDir::temp().filePath(QStringLiteral("folioscope-job-XXXXXX.pdf")));
    // Unbuffered: every refused write comes back with the system's reason.
    if (!static_cast<QFile&>(spool).open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        throw EOutputError(EOutputError::Kind::SpoolNotWritten, spool.fileTemplate(),
                           spool.errorString());
    {
        PrintProgressScope scope(progress, int(numbers.size()));
        engine_pages::Setup setup;
        setup.title = printer.docName();
        setup.resolution = printer.resolution();
        setup.layout = spoolLayout(printer);
        setup.origin = pageOrigin(info);
        setup.failure = EOutputError::Kind::SpoolNotWritten;
        setup.subject = spool.fileName();
        const std::optional<QList<QByteArray>> slices =
            engine_pages::play(store, numbers, setup, progress);
        if (!slices) {
            result.Cancelled = true;
            return result;
        }
        // The figures as for a PDF file (their own size, smoothed by the printer's raster
        // processor where asked); no bookmarks: a print job is not read on a screen.
        PdfFinisher finisher;
        finisher.setFigures(PdfFinisher::figuresOf(store, numbers));
        finisher.setTitle(printer.docName());
        CountingDevice out(spool);
        try {
            finisher.finish(*slices, out);
        } catch (const std::runtime_error& e) {
            throw EOutputError(EOutputError::Kind::SpoolNotWritten, spool.fileName(),
                               QString::fromUtf8(e.what()));
        }
        // Only a spool file written whole is handed on.
        if (!out.finish())
            throw EOutputError(EOutputError::Kind::SpoolNotWritten, spool.fileName(),
                               out.failure());
        if (queue)
            result.JobId = cups_job::submit(printer.printerName(), spool.fileName(),
                                            printer.docName(), cups_job::optionsFor(printer));
        else
            deliverToFile(spool.fileName(), printer.outputFileName());
    }
    result.Pages = int(numbers.size());
    return result;
}

} // namespace page_printer
