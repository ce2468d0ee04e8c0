#include "app/OutlineCommand.h"

#include <cstdio>
#include <stdexcept>

#include "app/AppErrors.h"
#include "app/LayoutNotes.h"
#include "app/PdfExport.h"
#include "app/ReportText.h"
#include "pages/PrintPreview.h"

namespace outline_command {

QByteArray text(const PageOutline& outline) {
    QByteArray out;
    for (const OutlineEntry& entry : outline) {
        out += QByteArray::number(entry.level);
        out += '\t';
        out += QByteArray::number(entry.page);
        out += '\t';
        out += entry.label.toUtf8();
        out += '\n';
    }
    return out;
}

int run(const PdfExportOptions& options) {
    try {
        const ReportText report = ReadReportText(options.InputPath);
        TPrintPreview store;
        try {
            const LayoutState state = pdf_export::layOut(report.lines, options, store, true);
            PrintLayoutNotes(options.InputPath, report.encoding, state.MissingFigures);
        } catch (const std::exception& e) {
            PrintLayoutNotes(options.InputPath, report.encoding, {});
            throw std::runtime_error(QString::fromUtf8(app_errors::LayoutFailed)
                                         .arg(options.InputPath, QString::fromUtf8(e.what()))
                                         .toStdString());
        }
        const QByteArray out = text(store.outline());
        if (std::fwrite(out.constData(), 1, size_t(out.size()), stdout) != size_t(out.size()) ||
            std::fflush(stdout) != 0)
            return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "folioscope: %s\n", e.what());
        return 1;
    }
    return 0;
}

} // namespace outline_command
