#include "pages/PrintPreview.h"

#include "pages/PagesErrors.h"

void TPrintPreview::BeginDoc() {
    if (printing_)
        throw EPrintPreviewError(pages_errors::BeginDocAlreadyPrinting);
    pages_.clear();
    outline_.clear();
    ++documents_;
    printing_ = true;
    try {
        NewPage();
    } catch (...) {
        // Without its first page the store would be recording into nothing: back to idle.
        printing_ = false;
        throw;
    }
}

void TPrintPreview::NewPage() {
    if (!printing_)
        throw EPrintPreviewError(pages_errors::NewPageNotPrinting);
    auto page = std::make_shared<PageRecording>(
        QSize(reference_.PrintableWidthDots, reference_.PrintableHeightDots));
    auto canvas = std::make_unique<RecordingCanvas>(*page, reference_.DpiY);
    if (canvas_)
        canvas->copyStateFrom(*canvas_);
    if (!pages_.empty()) {
        // The previous page is complete: give back what it did not use, and expect the new
        // page to be much like it.
        pages_.back()->squeeze();
        if (pageClosed_)
            pageClosed_(pages_.back());
        page->reserveLike(*pages_.back());
    }
    pages_.push_back(std::move(page));
    canvas_ = std::move(canvas);
}

void TPrintPreview::EndDoc() {
    if (!printing_)
        throw EPrintPreviewError(pages_errors::EndDocNotPrinting);
    canvas_.reset();
    pages_.back()->squeeze();
    printing_ = false;
    if (pageClosed_)
        pageClosed_(pages_.back());
}

RecordingCanvas& TPrintPreview::GetCanvas() const {
    if (!printing_)
        throw EPrintPreviewError(pages_errors::GetCanvasNotPrinting);
    return *canvas_;
}

const PageRecording& TPrintPreview::GetPage(int index) const {
    return *GetSharedPage(index);
}

std::shared_ptr<const PageRecording> TPrintPreview::GetSharedPage(int index) const {
    if (printing_)
        throw EPrintPreviewError(pages_errors::GetPageWhilePrinting);
    if (index < 0 || index >= PageCount())
        throw EPrintPreviewError(pages_errors::GetPageOutOfRange);
    return pages_[size_t(index)];
}
