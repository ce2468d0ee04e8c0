#pragma once
// Progress of a command-line layout: one line on stderr, rewritten in place while the lines
// are laid out. Silent when stderr is not a terminal, so logs and pipes stay clean.

#include <cstdio>

#include "document/LayoutProgress.h"

class StderrProgress : public LayoutProgress {
public:
    // out: where to write; interactive: rewrite the line in place (default: out is a tty).
    explicit StderrProgress(std::FILE* out = stderr);
    StderrProgress(std::FILE* out, bool interactive);

    void start(int lineCount) override;
    void step() override;
    void finish() override;

private:
    void print();

    std::FILE* out_;
    bool interactive_;
    int total_ = 0;
    int done_ = 0;
    int shownPercent_ = -1;
};
