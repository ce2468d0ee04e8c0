#include "app/PdfExport.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "app/AppErrors.h"
#include "app/LayoutNotes.h"
#include "app/OutlineCommand.h"
#include "app/PrintCommand.h"
#include "app/ReportText.h"
#include "app/StderrProgress.h"
#include "app/TextFileReader.h"
#include "document/LayoutEngine.h"
#include "pages/DecodedImageCache.h"
#include "pages/FollowingSlice.h"
#include "pages/PagePdfWriter.h"
#include "pages/PrintPreview.h"
#include "platform/FontSubstitution.h"

namespace pdf_export {
namespace {

constexpr qint64 ExportCacheBudget = qint64(32) * 1024 * 1024;

std::runtime_error failure(const char* format, const QString& a, const QString& b) {
    return std::runtime_error(QString::fromUtf8(format).arg(a, b).toStdString());
}

void printError(const QString& text) {
    std::fprintf(stderr, "folioscope: %s\n", text.toLocal8Bit().constData());
}

TPrinterInfo printerOf(const PdfExportOptions& options) {
    return TPrinterInfo::forPaper(options.pageSizeMm(), options.Resolution, options.Landscape);
}

// The file's information and pages, without the outline (known once the layout is done).
page_pdf::PdfDocument documentOf(const PdfExportOptions& options) {
    page_pdf::PdfDocument document;
    document.title = QFileInfo(options.InputPath).fileName();
    // The page in portrait terms plus an orientation, so that viewers and printers see a
    // landscape page as one; no margins, the recording starts at the paper's corner.
    const QPageSize size(options.PaperMm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    document.layout = QPageLayout(
        size, options.Landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF());
    return document;
}

} // namespace

LayoutState layOut(const QByteArrayList& lines, const PdfExportOptions& options,
                   TPrintPreview& store, bool showProgress) {
    LayoutState state;
    if (!options.InputPath.isEmpty())
        state.ReportFolder = QFileInfo(options.InputPath).absolutePath();
    state.PrinterInfo = printerOf(options);
    // The first working font is the decoration font, as in the preview window.
    state.CurFont =
        TextFont{options.Settings.DecorationFontName.text(), options.Settings.DecorationFontSize};
    StderrProgress progress;
    LayoutEngine engine(state, store, options.Settings, showProgress ? &progress : nullptr);
    engine.CalcFrameGeometry();
    engine.LayoutDocument(lines);
    return state;
}

void writePdf(const TPrintPreview& store, const PdfExportOptions& options, const QString& path,
              FollowingSlice* following) {
    page_pdf::PdfDocument document = documentOf(options);
    document.outline = store.outline();
    try {
        page_pdf::write(store, path, nullptr, document, following);
    } catch (const EOutputError& e) {
        throw failure(app_errors::CannotWrite, path, e.reason());
    }
}

int run(int argc, char** argv, const PdfExportOptions& options) {
    // Headless: no display is needed to lay out and write a PDF.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    font_substitution::install();
    // The export and the print command play each page once, in order: decoded figures are
    // needed again only by the next pages, and a figure decoded twice is still written once
    // (PdfFinisher). The preview's budget would only hold photographs no page needs again.
    DecodedImageCache::shared().setBudget(ExportCacheBudget);

    if (options.Print)
        return print_command::run(options);
    if (options.Outline)
        return outline_command::run(options);
    try {
        const ReportText report = ReadReportText(options.InputPath);
        TPrintPreview store;
        // The PDF engine plays the first pages while the rest are laid out.
        FollowingSlice following(
            store,
            page_pdf::engineSetup(printerOf(options), documentOf(options), options.OutputPath));
        try {
            const LayoutState state = layOut(report.lines, options, store, true);
            PrintLayoutNotes(options.InputPath, report.encoding, state.MissingFigures);
        } catch (const std::exception& e) {
            // The encoding is told also when the layout stops.
            PrintLayoutNotes(options.InputPath, report.encoding, {});
            throw failure(app_errors::LayoutFailed, options.InputPath, QString::fromUtf8(e.what()));
        }
        writePdf(store, options, options.OutputPath, &following);
    } catch (const std::exception& e) {
        printError(QString::fromUtf8(e.what()));
        return 1;
    }
    return 0;
}

} // namespace pdf_export
