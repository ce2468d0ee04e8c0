#include "pages/CupsJob.h"

#include <QPrintEngine>
#include <QPrinter>
#include <cups/cups.h>

#include "pages/PagesErrors.h"
#include "pages/PrinterError.h"

namespace cups_job {

namespace {
using Option = QPair<QByteArray, QByteArray>;
// The print engine property under which Qt's CUPS engine keeps the options of the print
// dialog's job options page, as name/value pairs in one string list.
constexpr auto CupsOptionsKey = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// The dialog's job options as name/value pairs.
Options dialogOptions(const QPrinter& printer) {
    Options options;
    if (QPrintEngine* engine = printer.printEngine()) {
        const QStringList pairs = engine->property(CupsOptionsKey).toStringList();
        for (qsizetype i = 0; i + 1 < pairs.size(); i += 2)
            options.append(Option{pairs[i].toLocal8Bit(), pairs[i + 1].toLocal8Bit()});
    }
    return options;
}

// Options that choose pages; the tool applies them itself (PrintPages).
bool choosesPages(const QByteArray& name) {
    return name == "page-ranges" || name == "page-set";
}
} // namespace

QByteArray dialogOption(const QPrinter& printer, const QByteArray& name) {
    for (const auto& [key, value] : dialogOptions(printer))
        if (key == name)
            return value;
    return {};
}

Options optionsFor(const QPrinter& printer) {
    Options options;
    const QPageLayout layout = printer.pageLayout();
    options.append(Option{"media", layout.pageSize().key().toLocal8Bit()});
    const int copies = printer.copyCount();
    if (copies > 1) {
        options.append(Option{"copies", QByteArray::number(copies)});
        if (printer.collateCopies())
            options.append(Option{"Collate", "True"});
    }
    const bool portrait = layout.orientation() == QPageLayout::Portrait;
    switch (printer.duplex()) {
    case QPrinter::DuplexNone:
        options.append(Option{"sides", "one-sided"});
        break;
    case QPrinter::DuplexAuto:
        options.append(Option{"sides", portrait ? "two-sided-long-edge" : "two-sided-short-edge"});
        break;
    case QPrinter::DuplexLongSide:
        options.append(Option{"sides", "two-sided-long-edge"});
        break;
    case QPrinter::DuplexShortSide:
        options.append(Option{"sides", "two-sided-short-edge"});
        break;
    }
    if (!portrait)
        options.append(Option{"landscape", ""});
    for (const Option& option : dialogOptions(printer))
        if (!choosesPages(option.first))
            options.append(option);
    return options;
}

int submit(const QString& queue, const QString& pdfFile, const QString& title,
           const Options& options) {
    cups_option_t* list = nullptr;
    int count = 0;
    for (const auto& [name, value] : options)
        count = cupsAddOption(name.constData(), value.constData(), count, &list);
    // The scheduler knows the queue, not its local instances.
    const QByteArray name = queue.section(QLatin1Char('/'), 0, 0).toLocal8Bit();
    const int job =
        cupsPrintFile2(CUPS_HTTP_DEFAULT, name.constData(), pdfFile.toLocal8Bit().constData(),
                       title.toUtf8().constData(), count, list);
    cupsFreeOptions(count, list);
    if (job <= 0)
        throw EPrinterError(QString::fromUtf8(pages_errors::JobNotSent)
                                .arg(queue, QString::fromUtf8(cupsLastErrorString()))
                                .toStdString());
    return job;
}

} // namespace cups_job
