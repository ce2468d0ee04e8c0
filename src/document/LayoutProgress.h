#pragma once
// How a layout reports progress: the preview window shows a progress window, the command
// line prints a line on stderr, tests ignore it.

class LayoutProgress {
public:
    virtual ~LayoutProgress() = default;
    virtual void start(int lineCount) = 0; // shown; bar from 0 to lineCount
    virtual void step() = 0;               // one line done
    virtual void finish() = 0;             // closed, also when the layout fails
};
