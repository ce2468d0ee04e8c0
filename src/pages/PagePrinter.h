#pragma once
// Prints recorded pages on a printer as one print job: each page is played at its own size,
// one recorded dot on one printer dot, moved by the printer's offsets so that the page's
// corner lands on the paper's corner. The job reaches the printer whole or not at all.

#include <QPoint>
#include <QString>

#include "pages/PrintPages.h"
#include "pages/PrinterInfo.h"

class PrintProgress;
class QPrinter;
class TPrintPreview;

namespace page_printer {

// The document name of every print job.
inline constexpr const char* DocumentName = "Input/OutPut DATA";

struct Result {
    int Pages = 0;          // pages sent
    int JobId = 0;          // the scheduler's job id; 0 when nothing was sent
    bool Cancelled = false; // the user stopped it: nothing was sent
};

// Where a page's (0, 0) goes on the printer, whose origin is the corner of its printable
// area: (-Nearest(OffsetXmm / 25.4 x DpiX), -Nearest(OffsetYmm / 25.4 x DpiY)), halves to even.
QPoint pageOrigin(const TPrinterInfo& info);

// Prints pages first .. last (counted from 1) of store on printer, with info the geometry the
// pages were laid out for; nothing when last is below first. The printer's document name
// becomes DocumentName. The pages are first written, as the printer's print engine would, to
// a spool file of their own and only a complete file is handed to the print system (a CUPS
// queue, or the output file of a PDF printer): a page the store refuses (its
// "TPrinterCanvas.GetPage: Index is out of Range" for a page beyond its count), a drawing or
// spooling failure, a refused job and a cancel all leave nothing printed. Failures are thrown
// unchanged (EPrintPreviewError, EPrinterError, EOutputError: a spool file not written whole,
// or the scheduler's failures).
Result print(const TPrintPreview& store, QPrinter& printer, const TPrinterInfo& info, int first,
             int last, PrintProgress* progress = nullptr);
// The same for the pages chosen, in ascending order, as one job; every range's ends are
// checked against the store before anything is drawn.
Result print(const TPrintPreview& store, QPrinter& printer, const TPrinterInfo& info,
             const PrintPages& pages, PrintProgress* progress = nullptr);

} // namespace page_printer
