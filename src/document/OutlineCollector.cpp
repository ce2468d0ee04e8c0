#include "document/OutlineCollector.h"

#include "document/Tags.h"
#include "platform/Cp932.h"

namespace {

// Leading and trailing characters that are no text of a heading: blanks (the ideographic
// space among them) and the box-drawing block of table rules.
bool isFrame(QChar c) {
    return c.isSpace() || (c.unicode() >= 0x2500 && c.unicode() <= 0x257F);
}

// True when the bytes can hold no text: ASCII blanks and control bytes only. Spares the
// decoding of the empty lines that separate headings.
bool onlyAsciiBlanks(QByteArrayView line) {
    for (const char byte : line)
        if (static_cast<unsigned char>(byte) > 0x20)
            return false;
    return true;
}

} // namespace

void OutlineCollector::clear() {
    outline_.clear();
    chapterWanted_ = false;
    chapterSeen_ = false;
    lastChapterLine_ = -1;
}

void OutlineCollector::chapterLine(qsizetype index, QByteArrayView line, int page) {
    lastChapterLine_ = index;
    QString text = label(line);
    if (text.isEmpty())
        return;
    outline_.append(OutlineEntry{1, page, std::move(text)});
    chapterWanted_ = false;
    chapterSeen_ = true;
}

void OutlineCollector::titleBlock(const QByteArrayList& lines, int page) {
    chapterWanted_ = false;
    for (const QByteArray& line : lines) {
        if (line == tags::HPitchStart || line == tags::HPitchEnd)
            continue;
        QString text = label(line);
        if (!text.isEmpty()) {
            outline_.append(OutlineEntry{chapterSeen_ ? 2 : 1, page, std::move(text)});
            return;
        }
    }
}

PageOutline OutlineCollector::take() {
    PageOutline result = std::move(outline_);
    clear();
    return result;
}

QString OutlineCollector::label(QByteArrayView line) {
    if (onlyAsciiBlanks(line))
        return {};
    QString text = cp932::decode(line);
    // Tabs, escapes and other control bytes would break a line of the outline's text output
    // or a tree row: they show as blanks.
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && isFrame(text[first]))
        ++first;
    while (end > first && isFrame(text[end - 1]))
        --end;
    if (end - first <= MaxLabelLength)
        return text.sliced(first, end - first);
    qsizetype cut = MaxLabelLength;
    if (text[first + cut - 1].isHighSurrogate())
        --cut;
    return text.sliced(first, cut) + QChar(0x2026);
}
