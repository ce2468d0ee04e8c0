#include "app/PrintCommand.h"

#include <QFileInfo>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <cstdio>
#include <stdexcept>
#include <unistd.h>

#include "app/AppErrors.h"
#include "app/LayoutNotes.h"
#include "app/OutputErrorText.h"
#include "app/ReportText.h"
#include "app/StderrProgress.h"
#include "document/LayoutEngine.h"
#include "pages/CupsJob.h"
#include "pages/CurrentPrinter.h"
#include "pages/OutputError.h"
#include "pages/PagePrinter.h"
#include "pages/PrintPreview.h"
#include "pages/PrintProgress.h"
#include "pages/ReadPrinterInfo.h"

namespace print_command {

namespace {

QString text(const char* format) {
    return QString::fromUtf8(format);
}

void printError(const QString& message) {
    std::fprintf(stderr, "folioscope: %s\n", message.toLocal8Bit().constData());
}

// Pages sent, as one line on stderr rewritten in place; silent when stderr is not a terminal.
class StderrPrintProgress : public PrintProgress {
public:
    void start(int pageCount) override {
        total_ = pageCount;
        shown_ = -1;
    }
    bool step(int pagesDone) override {
        const int percent = total_ > 0 ? int(qint64(pagesDone) * 100 / total_) : 100;
        if (interactive_ && percent != shown_) {
            shown_ = percent;
            std::fprintf(stderr, "\rPrinting: %d/%d pages", pagesDone, total_);
            std::fflush(stderr);
        }
        return true;
    }
    void finish() override {
        if (interactive_ && shown_ >= 0)
            std::fputs("\n", stderr);
    }

private:
    bool interactive_ = isatty(fileno(stderr)) != 0;
    int total_ = 0;
    int shown_ = -1;
};

// The queue as a printer set up as the options say; throws with the user's message.
std::unique_ptr<QPrinter> printerFor(const PdfExportOptions& options) {
    const QPrinterInfo queue = options.PrinterName.isEmpty()
                                   ? QPrinterInfo::defaultPrinter()
                                   : QPrinterInfo::printerInfo(options.PrinterName);
    std::unique_ptr<QPrinter> printer;
    if (!queue.isNull())
        printer = current_printer::createForQueue(queue);
    if (!printer) {
        // No queue is known when no scheduler answers: say that, not that the queue is unknown.
        cups_job::requireScheduler();
        throw std::runtime_error((options.PrinterName.isEmpty()
                                      ? text(app_errors::NoDefaultQueue)
                                      : text(app_errors::UnknownQueue).arg(options.PrinterName))
                                     .toStdString());
    }
    if (options.PaperGiven) {
        // Margins follow the new paper: Qt takes the device's printable area for it.
        printer->setPageSize(
            QPageSize(options.PaperMm, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch));
        const QPageLayout layout = printer->pageLayout();
        printer->setPageMargins(layout.minimumMargins(), layout.units());
    }
    if (options.Landscape)
        printer->setPageOrientation(QPageLayout::Landscape);
    if (options.ResolutionGiven)
        printer->setResolution(options.Resolution);
    printer->setCopyCount(options.Copies);
    return printer;
}

} // namespace

int run(const PdfExportOptions& options) {
    try {
        current_printer::replace(printerFor(options));
        QPrinter& printer = current_printer::get();
        LayoutState state;
        ReadPrinterInfo(state.PrinterInfo);
        if (!options.marginsFit(
                QSizeF(state.PrinterInfo.PaperWidthMm, state.PrinterInfo.PaperHeightMm)))
            throw std::runtime_error(app_errors::MarginsTooLarge);

        const ReportText report = ReadReportText(options.InputPath);
        state.ReportFolder = QFileInfo(options.InputPath).absolutePath();
        TPrintPreview store;
        try {
            // The first working font is the decoration font, as in the preview window.
            state.CurFont = TextFont{options.Settings.DecorationFontName.text(),
                                     options.Settings.DecorationFontSize};
            StderrProgress progress;
            LayoutEngine engine(state, store, options.Settings, &progress);
            engine.CalcFrameGeometry();
            engine.LayoutDocument(report.lines);
            PrintLayoutNotes(options.InputPath, report.encoding, state.MissingFigures);
        } catch (const std::exception& e) {
            // The encoding is told also when the layout stops.
            PrintLayoutNotes(options.InputPath, report.encoding, {});
            throw std::runtime_error(text(app_errors::LayoutFailed)
                                         .arg(options.InputPath, QString::fromUtf8(e.what()))
                                         .toStdString());
        }

        const int count = store.PageCount();
        const int first = options.FromPage > 0 ? options.FromPage : 1;
        const int last = options.ToPage > 0 ? options.ToPage : count;
        if (first > count || last > count)
            throw std::runtime_error(
                text(app_errors::PagesBeyondCount).arg(first).arg(last).arg(count).toStdString());
        StderrPrintProgress progress;
        page_printer::Result result;
        try {
            result = page_printer::print(store, printer, state.PrinterInfo, first, last, &progress);
        } catch (const EOutputError& e) {
            throw std::runtime_error(text(app_errors::PrintFailed)
                                         .arg(options.InputPath, OutputErrorText(e))
                                         .toStdString());
        } catch (const std::exception& e) {
            throw std::runtime_error(text(app_errors::PrintFailed)
                                         .arg(options.InputPath, QString::fromUtf8(e.what()))
                                         .toStdString());
        }
        std::printf("%s\n", text(app_errors::JobSent)
                                .arg(result.Pages)
                                .arg(options.InputPath, printer.printerName())
                                .arg(result.JobId)
                                .toLocal8Bit()
                                .constData());
    } catch (const EOutputError& e) {
        printError(OutputErrorText(e));
        return 1;
    } catch (const std::exception& e) {
        printError(QString::fromUtf8(e.what()));
        return 1;
    }
    return 0;
}

} // namespace print_command
