#pragma once
// How sending pages to a printer or a PDF file reports progress, and how the user stops it:
// the preview window shows a progress window with a cancel button, the command line a line on
// stderr, tests pass none.

class PrintProgress {
public:
    virtual ~PrintProgress() = default;
    virtual void start(int pageCount) = 0; // shown; nothing done yet
    // pagesDone of pageCount are done. False asks to stop: the whole output is dropped.
    virtual bool step(int pagesDone) = 0;
    virtual void finish() = 0; // closed, also when the output fails or is cancelled
};

// Starts progress (when there is one) for pageCount pages and finishes it on every way out.
class PrintProgressScope {
public:
    PrintProgressScope(PrintProgress* progress, int pageCount) : progress_(progress) {
        if (progress_)
            progress_->start(pageCount);
    }
    ~PrintProgressScope() {
        if (progress_)
            progress_->finish();
    }
    PrintProgressScope(const PrintProgressScope&) = delete;
    PrintProgressScope& operator=(const PrintProgressScope&) = delete;

private:
    PrintProgress* progress_;
};
