#pragma once
// The page store: records a laid-out document as a list of pages, one display list per page,
// made against the printer geometry it is given. The layout draws on the canvas of the page
// being recorded; the preview and printing read finished pages back by index.

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "pages/PageOutline.h"
#include "pages/PageRecording.h"
#include "pages/PrinterInfo.h"
#include "pages/RecordingCanvas.h"

class EPrintPreviewError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TPrintPreview {
public:
    TPrintPreview() = default;
    ~TPrintPreview() = default;
    TPrintPreview(const TPrintPreview&) = delete;
    TPrintPreview& operator=(const TPrintPreview&) = delete;

    // The reference device of the pages recorded from now on: their size (the printable
    // area) and the vertical resolution at which font points become dots.
    void setReferenceDevice(const TPrinterInfo& printer) { reference_ = printer; }
    const TPrinterInfo& referenceDevice() const { return reference_; }

    bool Printing() const { return printing_; }
    const std::vector<std::shared_ptr<PageRecording>>& Pages() const { return pages_; }
    RecordingCanvas* Canvas() const { return canvas_.get(); }

    // Drops every page and opens page 1. Refused while recording.
    void BeginDoc();
    // Closes the current page and opens the next; the new canvas keeps font, pen, brush,
    // copy mode and text flags. Refused unless recording.
    void NewPage();
    // Closes the last page. Refused unless recording.
    void EndDoc();
    // The canvas of the page being recorded. Refused unless recording.
    RecordingCanvas& GetCanvas() const;
    // A finished page, 0-based. Refused while recording and out of range.
    const PageRecording& GetPage(int index) const;
    // The same page, shared: it stays whole for a reader on another thread (the side panel's
    // page pictures) while a new layout drops the store's pages.
    std::shared_ptr<const PageRecording> GetSharedPage(int index) const;
    // Pages so far, the page being recorded included.
    int PageCount() const { return int(pages_.size()); }
    // Counts the documents begun: readers that keep something per page (the text search)
    // know by it that the pages they saw are gone.
    unsigned DocumentNumber() const { return documents_; }

    // Told of each page the recording closes (NewPage closes the one before, EndDoc the last),
    // on the recording's thread, once the page will not change: a reader on another thread
    // may play it from then on (a PDF written while the layout runs). Empty: no one is told.
    using PageClosed = std::function<void(const std::shared_ptr<const PageRecording>&)>;
    void setPageClosed(PageClosed pageClosed) { pageClosed_ = std::move(pageClosed); }

    // The outline collected by the layout that recorded these pages; BeginDoc clears it.
    const PageOutline& outline() const { return outline_; }
    void setOutline(PageOutline outline) { outline_ = std::move(outline); }

private:
    TPrinterInfo reference_ = TPrinterInfo::forPaper(QSizeF(210, 297), 600);
    bool printing_ = false;
    unsigned documents_ = 0;
    std::vector<std::shared_ptr<PageRecording>> pages_;
    std::unique_ptr<RecordingCanvas> canvas_;
    PageOutline outline_;
    PageClosed pageClosed_;
};
