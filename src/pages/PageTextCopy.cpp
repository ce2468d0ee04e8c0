#include "pages/PageTextCopy.h"

#include <algorithm>
#include <vector>

#include "pages/PageText.h"

namespace page_text_copy {

namespace {

struct Line {
    int top = 0;
    QString text;
};

} // namespace

QString textIn(const PageRecording& page, const QRect& area) {
    const PageText text(page, PageText::Places::With, PageText::Folding::AsDrawn);
    const QString& chars = text.text();
    std::vector<Line> lines;
    Line line;
    bool gap = false; // a blank between runs since the last character taken
    const auto finish = [&] {
        while (!line.text.isEmpty() && line.text.back().isSpace())
            line.text.chop(1);
        if (!line.text.isEmpty())
            lines.push_back(std::move(line));
        line = Line();
        gap = false;
    };
    for (qsizetype i = 0; i < chars.size(); ++i) {
        const QRect box = text.place(i);
        if (box.isNull()) { // put between runs: a line break or a blank
            if (chars.at(i) == QLatin1Char('\n'))
                finish();
            else
                gap = !line.text.isEmpty();
            continue;
        }
        if (!area.contains(box.center()))
            continue;
        if (line.text.isEmpty())
            line.top = box.top();
        else if (gap)
            line.text.append(QLatin1Char(' '));
        gap = false;
        line.text.append(chars.at(i));
    }
    finish();
    // Reading order: lines from the top of the page down; lines at one height keep the order
    // in which they were drawn.
    std::stable_sort(lines.begin(), lines.end(),
                     [](const Line& a, const Line& b) { return a.top < b.top; });
    QString out;
    for (const Line& l : lines) {
        if (!out.isEmpty())
            out.append(QLatin1Char('\n'));
        out.append(l.text);
    }
    return out;
}

} // namespace page_text_copy
