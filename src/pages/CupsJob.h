#pragma once
// Hands a finished PDF to a CUPS queue as one print job, with the job options that the
// printer's settings call for.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

class QPrinter;

namespace cups_job {

using Options = QList<QPair<QByteArray, QByteArray>>;

// The job options for printer's settings, as Qt's own CUPS printing sends them: media,
// copies and collation (when more than one copy), sides, landscape, then whatever the print
// dialog's job options page chose, less the page choice ("page-ranges", "page-set"): the job
// holds the chosen pages only (PrintPages), and the scheduler would choose among them again.
Options optionsFor(const QPrinter& printer);

// The value the print dialog chose for the job option name, empty when it chose none.
QByteArray dialogOption(const QPrinter& printer, const QByteArray& name);

// Submits the PDF file to queue (a "queue/instance" name is sent to the queue) as one job
// named title. Returns the job id. Throws EPrinterError with the scheduler's reason when the
// job cannot be created or its file cannot be sent; CUPS then cancels what it had started, so
// nothing of the job is printed.
int submit(const QString& queue, const QString& pdfFile, const QString& title,
           const Options& options);

} // namespace cups_job
