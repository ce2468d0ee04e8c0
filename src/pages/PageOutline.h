#pragma once
// The report's outline: chapters and the sections under them, each with the page where it is
// first drawn. The layout collects it beside the pages; the preview's panel, the PDF bookmarks
// and `--outline` read it.

#include <QList>
#include <QString>

struct OutlineEntry {
    int level = 1; // 1: chapter (or a section before any chapter), 2: section of a chapter
    int page = 1;  // 1-based page number
    QString label; // decoded and trimmed text, shortened for display
};

using PageOutline = QList<OutlineEntry>;
