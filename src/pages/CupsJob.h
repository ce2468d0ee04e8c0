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
// copies and collation (when more than one copy), sides, then whatever the print dialog's job
// options page chose, less the page choice ("page-ranges", "page-set"): the job holds the
// chosen pages only (PrintPages), and the scheduler would choose among them again. No
// "landscape": the spool file's pages are landscape already.
Options optionsFor(const QPrinter& printer);

// The value the print dialog chose for the job option name, empty when it chose none.
QByteArray dialogOption(const QPrinter& printer, const QByteArray& name);

// Throws EOutputError (SchedulerUnreachable, with the reason) when the print scheduler
// (CUPS_SERVER, or the system's) cannot be reached at all.
void requireScheduler();

// Submits the PDF file to queue (a "queue/instance" name is sent to the queue) as one job
// whose name and document name are title; options without a value are left out. Returns the
// job id. Throws EOutputError: SchedulerUnreachable, JobNotSent (the scheduler refused the job
// or its file, with its reason) or JobInterrupted (the connection broke while the file was
// sent); the job is then cancelled, so nothing of it is printed.
int submit(const QString& queue, const QString& pdfFile, const QString& title,
           const Options& options);

} // namespace cups_job
