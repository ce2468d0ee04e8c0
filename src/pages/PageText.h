#pragma once
// The searchable text of one recorded page: its text runs decoded from code page 932 and
// folded (TextFolder), a line break between lines and a blank between runs of one line that
// do not touch. With places, every character of it also knows its box on the page in dots,
// so a match can be shown where it is drawn.

#include <QList>
#include <QRect>
#include <QString>
#include <vector>

class PageRecording;

class PageText {
public:
    enum class Places { Without, With };
    // Folded for searching, or as drawn (decoded only) for copying.
    enum class Folding { Folded, AsDrawn };
    PageText(const PageRecording& page, Places places, Folding folding = Folding::Folded);

    const QString& text() const { return text_; }
    // The box (page dots) of character i of text(); null for the blanks and line breaks put
    // between runs, and without places.
    QRect place(qsizetype i) const {
        return std::size_t(i) < places_.size() ? places_[std::size_t(i)] : QRect();
    }

    // The boxes (page dots) of the characters [from, from + length) of text(), joined into
    // one rectangle per stretch of one line. Empty without places.
    QList<QRect> boxes(qsizetype from, qsizetype length) const;

private:
    QString text_;
    std::vector<QRect> places_; // one per character of text_; empty for separators
};
