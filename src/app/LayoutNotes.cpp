#include "app/LayoutNotes.h"

#include "app/AppErrors.h"

QStringList LayoutNoteLines(const QString& inputPath, const InputEncoding& encoding,
                            const QList<MissingFigure>& missing) {
    QStringList lines;
    if (encoding.converted()) {
        QString line = QString::fromUtf8(app_errors::ConvertedFromUtf8).arg(inputPath);
        if (encoding.byteOrderMarkDropped)
            line += QString::fromUtf8(app_errors::ByteOrderMarkDropped);
        if (encoding.unmappedCharacters > 0)
            line +=
                QString::fromUtf8(app_errors::UnmappedCharacters).arg(encoding.unmappedCharacters);
        lines.append(line);
    }
    for (const MissingFigure& figure : missing)
        lines.append(QString::fromUtf8(app_errors::FigureNotFound)
                         .arg(inputPath, QString::number(figure.line), figure.name));
    return lines;
}

void PrintLayoutNotes(const QString& inputPath, const InputEncoding& encoding,
                      const QList<MissingFigure>& missing, std::FILE* out) {
    for (const QString& line : LayoutNoteLines(inputPath, encoding, missing))
        std::fprintf(out, "folioscope: %s\n", line.toLocal8Bit().constData());
    std::fflush(out);
}
