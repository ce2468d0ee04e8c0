#include "app/StderrProgress.h"

#include <unistd.h>

StderrProgress::StderrProgress(std::FILE* out)
    : StderrProgress(out, ::isatty(::fileno(out)) == 1) {}

StderrProgress::StderrProgress(std::FILE* out, bool interactive)
    : out_(out), interactive_(interactive) {}

void StderrProgress::start(int lineCount) {
    total_ = lineCount;
    done_ = 0;
    shownPercent_ = -1;
    print();
}

void StderrProgress::step() {
    ++done_;
    // Rewriting the line for every one of 100,000 lines would cost more than the layout.
    const int percent = total_ > 0 ? int(static_cast<long long>(done_) * 100 / total_) : 100;
    if (percent != shownPercent_)
        print();
}

void StderrProgress::finish() {
    if (interactive_ && shownPercent_ >= 0) {
        std::fputc('\n', out_);
        std::fflush(out_);
    }
    shownPercent_ = -1;
}

void StderrProgress::print() {
    shownPercent_ = total_ > 0 ? int(static_cast<long long>(done_) * 100 / total_) : 100;
    if (!interactive_)
        return;
    std::fprintf(out_, "\rLaying out: %d/%d lines (%d%%)", done_, total_, shownPercent_);
    std::fflush(out_);
}
