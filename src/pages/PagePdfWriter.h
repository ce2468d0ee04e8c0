#pragma once
// Writes recorded pages, as they are, to a vector PDF: text stays text (searchable, fonts
// embedded as subsets), nothing is laid out again.

#include <QList>
#include <QPoint>
#include <QString>
#include <stdexcept>

class PrintProgress;
class QPainter;
class QPdfWriter;
class TPrintPreview;

namespace page_pdf {

// Writes every page of store to path, one PDF page per recorded page. Each PDF page is the
// paper of the store's reference device (the printer the pages were laid out for), in its
// orientation, and the page is played from the paper's corner at the device's resolution. The
// file appears only complete (written beside path under a temporary name, then renamed).
// Returns false, writing nothing, when progress asks to stop. Throws std::runtime_error
// (pages_errors::PdfNotWritten) when the file cannot be written, and the store's
// EPrintPreviewError when it has no pages to give.
bool write(const TPrintPreview& store, const QString& path, PrintProgress* progress = nullptr);

// Plays pages first .. last (from 1) of store through painter, which is active on writer, each
// with its (0, 0) at origin, a new PDF page before every page but the first, reporting each
// page to progress. Returns false as soon as progress asks to stop. The store's refusals
// (a page beyond its count) are thrown before anything of that page is drawn.
bool playPages(const TPrintPreview& store, QPdfWriter& writer, QPainter& painter, int first,
               int last, QPoint origin, PrintProgress* progress);
// The same for the pages numbered (from 1), in the order given.
bool playPages(const TPrintPreview& store, QPdfWriter& writer, QPainter& painter,
               const QList<int>& numbers, QPoint origin, PrintProgress* progress);

// The error for a PDF file (or print spool file) that cannot be written: path and reason in
// pages_errors::PdfNotWritten.
std::runtime_error notWritten(const QString& path, const QString& reason);

} // namespace page_pdf
