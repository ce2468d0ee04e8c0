#pragma once
// The form in which the find bar compares text: the half-width and full-width forms of letters,
// digits, signs and katakana become one, and Latin letters lose their case. Works character by
// character, so that a place in the folded text leads back to the characters it came from.

#include <QString>

class TextFolder {
public:
    // Appends the folded form of c to out. A half-width voiced or semi-voiced sound mark joins
    // the kana before it when they make one character; then nothing is appended and the last
    // character of out changes (the function returns false), else it returns true.
    static bool append(QString& out, QChar c);

    // The folded form of a whole text (the query).
    static QString fold(QStringView text);
};
