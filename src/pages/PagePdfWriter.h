#pragma once
// Writes recorded pages, as they are, to a vector PDF: text stays text (searchable, fonts
// embedded as subsets), nothing is laid out again.

#include <QList>
#include <QPageLayout>
#include <QPoint>
#include <QString>

#include "pages/EnginePages.h"
#include "pages/OutputError.h"
#include "pages/PageOutline.h"

class FollowingSlice;
class PrintProgress;
class TPrintPreview;
struct TPrinterInfo;

namespace page_pdf {

// What a PDF file holds besides its pages.
struct PdfDocument {
    QString title;       // the document information's title: the report's file name
    PageOutline outline; // written as the file's bookmarks
    QPageLayout layout;  // the PDF pages; when not valid, the paper of the store's device
};

// Writes every page of store to path, one PDF page per recorded page. Each PDF page is the
// paper of the store's reference device (the printer the pages were laid out for), in its
// orientation, and the page is played from the paper's corner at the device's resolution. The
// file appears only complete (written beside path under a temporary name, then renamed): every
// write is checked, and on any failure (a full disk) a file that was there keeps its content
// and no temporary file is left. Returns false, writing nothing, when progress asks to stop.
// Throws EOutputError (FileNotWritten, with the system's reason) when the file cannot be
// written, and the store's EPrintPreviewError when it has no pages to give. Qt's PDF engine
// writes the pages into memory; PdfFinisher finishes them (figure images, document's bookmarks
// and information) on the way to the file.
// following, when given, has played the first pages while they were laid out (FollowingSlice).
bool write(const TPrintPreview& store, const QString& path, PrintProgress* progress = nullptr,
           const PdfDocument& document = {}, FollowingSlice* following = nullptr);

// How the engine writes the pages of write(): for a FollowingSlice started before the layout.
engine_pages::Setup engineSetup(const TPrinterInfo& device, const PdfDocument& document,
                                const QString& path);

// The error for a PDF file that cannot be written, with the system's reason.
EOutputError notWritten(const QString& path, const QString& reason);

} // namespace page_pdf
