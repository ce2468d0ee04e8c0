#pragma once
// What poppler's tools read from a PDF: a tool's output, and the words with their places.

#include <QList>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace pdf_text {

// The standard output of a program (pdftotext, pdfinfo, pdffonts), empty when it fails to run.
inline QString output(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// A word of pdftotext -bbox: its page (0-based), top-left and bottom-right corners in points.
struct Word {
    int page;
    QString text;
    double xMin, yMin;
    double xMax, yMax;
};

inline QList<Word> words(const QString& pdf) {
    const QString html = output("pdftotext", {"-bbox", pdf, "-"});
    QList<Word> out;
    int page = -1;
    static const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    for (const QString& line : html.split('\n')) {
        if (line.contains("<page "))
            ++page;
        const auto match = word.match(line);
        if (match.hasMatch())
            out.append({page, match.captured(5), match.captured(1).toDouble(),
                        match.captured(2).toDouble(), match.captured(3).toDouble(),
                        match.captured(4).toDouble()});
    }
    return out;
}

inline const Word* findWord(const QList<Word>& list, const QString& text) {
    for (const Word& w : list)
        if (w.text == text)
            return &w;
    return nullptr;
}

} // namespace pdf_text
