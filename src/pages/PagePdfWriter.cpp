#include "pages/PagePdfWriter.h"

#include <QPageLayout>
#include <QSaveFile>
#include <stdexcept>

#include "pages/CountingDevice.h"
#include "pages/EnginePages.h"
#include "pages/PdfFinisher.h"
#include "pages/PrintPreview.h"
#include "pages/PrintProgress.h"

namespace page_pdf {

EOutputError notWritten(const QString& path, const QString& reason) {
    return EOutputError(EOutputError::Kind::FileNotWritten, path, reason);
}

namespace {

// The paper of the device the pages were laid out for, in portrait terms plus its
// orientation, so that viewers and printers treat a landscape page as one; no margins: the
// recording starts at the paper's corner. The sides of the recorded paper say which way it lies.
QPageLayout paperOf(const TPrinterInfo& device) {
    QSizeF paperPt(device.PaperWidthDots * 72.0 / device.DpiX,
                   device.PaperHeightDots * 72.0 / device.DpiY);
    const bool landscape = paperPt.width() > paperPt.height();
    if (landscape)
        paperPt.transpose();
    return QPageLayout(QPageSize(paperPt, QPageSize::Point, QString(), QPageSize::FuzzyMatch),
                       landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF());
}

} // namespace

engine_pages::Setup engineSetup(const TPrinterInfo& device, const PdfDocument& document,
                                const QString& path) {
    engine_pages::Setup setup;
    setup.title = PdfFinisher::shortLabel(document.title);
    setup.resolution = device.DpiX;
    setup.layout = document.layout.isValid() ? document.layout : paperOf(device);
    // A device with different horizontal and vertical resolution: the writer counts in
    // horizontal dots, so a vertical dot is DpiX / DpiY of them.
    setup.verticalScale = double(device.DpiX) / device.DpiY;
    setup.failure = EOutputError::Kind::FileNotWritten;
    setup.subject = path;
    return setup;
}

bool write(const TPrintPreview& store, const QString& path, PrintProgress* progress,
           const PdfDocument& document, FollowingSlice* following) {
    const int count = store.PageCount();
    if (count < 1 || store.Printing())
        store.GetPage(0); // the store's own refusal: no pages, or still recording
    const TPrinterInfo& device = store.referenceDevice();

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw notWritten(path, file.errorString());
    PrintProgressScope scope(progress, count);
    QList<int> pages;
    for (int number = 1; number <= count; ++number)
        pages.append(number);
    std::optional<QList<QByteArray>> slices;
    try {
        slices = engine_pages::play(store, pages, engineSetup(device, document, path), progress,
                                    following);
    } catch (...) {
        file.cancelWriting();
        throw;
    }
    if (!slices) {
        file.cancelWriting();
        return false;
    }
    PdfFinisher finisher;
    finisher.setFigures(PdfFinisher::figuresOf(store, pages));
    finisher.setOutline(document.outline);
    finisher.setTitle(document.title);
    CountingDevice out(file);
    try {
        finisher.finish(*slices, out);
    } catch (const std::runtime_error& e) {
        file.cancelWriting();
        throw notWritten(path, QString::fromUtf8(e.what()));
    }
    // Nothing that writes the file looks at what its writes return: a file cut short by a
    // full disk must not be committed.
    if (!out.finish()) {
        file.cancelWriting();
        throw notWritten(path, out.failure());
    }
    if (!file.commit())
        throw notWritten(path, file.errorString());
    return true;
}

} // namespace page_pdf
