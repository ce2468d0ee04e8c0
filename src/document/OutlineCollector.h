#pragma once
// Collects the report's outline while the layout engine draws it: a chapter for each run of
// text lines drawn in Font1 in the main flow (from the run's first line that holds text) and a
// section for each title block drawn from the main flow (its first title line that holds
// text), under the latest chapter, or at the top level before the first one. The engine tells
// it what it draws; it draws nothing itself.

#include <QByteArrayList>
#include <QByteArrayView>
#include <QString>

#include "pages/PageOutline.h"

class OutlineCollector {
public:
    // Labels longer than this many characters are cut and end in "…".
    static constexpr qsizetype MaxLabelLength = 200;

    // Forgets everything collected (layout start).
    void clear();

    // A font tag of the main flow: Font1, Font2 or Font3 by index 0, 1, 2. Every font tag ends
    // a run of chapter lines; Font1 begins the next one.
    void fontSelected(int index) {
        chapterWanted_ = index == 0;
        lastChapterLine_ = -1;
    }

    // A text line of the main flow with index in the report, drawn on page (from 1). A line
    // drawn a second time (repeated at the top of the next page) is taken once, at its first
    // drawing. Cheap unless a run of Font1 lines still looks for its label.
    void textLine(qsizetype index, QByteArrayView line, int page) {
        if (chapterWanted_ && index > lastChapterLine_)
            chapterLine(index, line, page);
    }

    // A title block drawn from the main flow on page: its lines, the pitch tags among them.
    // It also ends a run of chapter lines.
    void titleBlock(const QByteArrayList& lines, int page);

    const PageOutline& outline() const { return outline_; }
    // Hands the outline over and starts afresh.
    PageOutline take();

    // What a line shows as an entry: decoded from code page 932, control characters as
    // blanks, leading and trailing blanks and box-drawing characters trimmed, cut to
    // MaxLabelLength. Empty when the line holds no text.
    static QString label(QByteArrayView line);

private:
    void chapterLine(qsizetype index, QByteArrayView line, int page);

    PageOutline outline_;
    bool chapterWanted_ = false; // in a Font1 run whose label is still to come
    bool chapterSeen_ = false;
    qsizetype lastChapterLine_ = -1;
};
