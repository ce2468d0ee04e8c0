#include "pages/CupsJob.h"

#include <QFile>
#include <QPrintEngine>
#include <QPrinter>
#include <cups/cups.h>

#include "pages/OutputError.h"

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

// How long to wait for the scheduler to answer a connection.
constexpr int ConnectTimeoutMs = 30000;

// The scheduler as the user would name it: its socket, or host and port.
QString schedulerAddress() {
    const QString server = QString::fromLocal8Bit(cupsServer());
    return server.startsWith(QLatin1Char('/')) ? server
                                               : QStringLiteral("%1:%2").arg(server).arg(ippPort());
}

// A connection to the scheduler; throws EOutputError (SchedulerUnreachable) when there is none.
http_t* connectScheduler() {
    http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                ConnectTimeoutMs, nullptr);
    if (!http)
        throw EOutputError(EOutputError::Kind::SchedulerUnreachable, schedulerAddress(),
                           QString::fromLocal8Bit(cupsLastErrorString()));
    return http;
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
    for (const Option& option : dialogOptions(printer))
        if (!choosesPages(option.first))
            options.append(option);
    return options;
}

void requireScheduler() {
    httpClose(connectScheduler());
}

int submit(const QString& queue, const QString& pdfFile, const QString& title,
           const Options& options) {
    QFile file(pdfFile);
    if (!file.open(QIODevice::ReadOnly))
        throw EOutputError(EOutputError::Kind::JobNotSent, queue, file.errorString());
    http_t* http = connectScheduler();
    cups_option_t* list = nullptr;
    int count = 0;
    // An option without a value would reach the scheduler as "false".
    for (const auto& [name, value] : options)
        if (!value.isEmpty())
            count = cupsAddOption(name.constData(), value.constData(), count, &list);
    // The scheduler knows the queue, not its local instances.
    const QByteArray name = queue.section(QLatin1Char('/'), 0, 0).toLocal8Bit();
    const QByteArray titleUtf8 = title.toUtf8();
    const int job = cupsCreateJob(http, name.constData(), titleUtf8.constData(), count, list);
    cupsFreeOptions(count, list);
    if (job <= 0) {
        const QString reason = QString::fromLocal8Bit(cupsLastErrorString());
        httpClose(http);
        throw EOutputError(EOutputError::Kind::JobNotSent, queue, reason);
    }
    // The document carries the job's name too; a queue lists it, not the spool file's name.
    bool sent = cupsStartDocument(http, name.constData(), job, titleUtf8.constData(),
                                  CUPS_FORMAT_PDF, 1) == HTTP_STATUS_CONTINUE;
    while (sent && !file.atEnd()) {
        const QByteArray chunk = file.read(1 << 16);
        sent = !chunk.isEmpty() &&
               cupsWriteRequestData(http, chunk.constData(), size_t(chunk.size())) ==
                   HTTP_STATUS_CONTINUE;
    }
    if (!sent) {
        // The scheduler drops a job whose document did not arrive whole; the cancel makes sure.
        cupsFinishDocument(http, name.constData());
        cupsCancelJob2(http, name.constData(), job, 0);
        httpClose(http);
        throw EOutputError(EOutputError::Kind::JobInterrupted, queue);
    }
    const ipp_status_t status = cupsFinishDocument(http, name.constData());
    if (status > IPP_STATUS_OK_EVENTS_COMPLETE) {
        const QString reason = QString::fromLocal8Bit(cupsLastErrorString());
        cupsCancelJob2(http, name.constData(), job, 0);
        httpClose(http);
        throw EOutputError(EOutputError::Kind::JobNotSent, queue, reason);
    }
    httpClose(http);
    return job;
}

} // namespace cups_job
