#include "document/DocumentErrors.h"

#include <QByteArray>

namespace {

std::string formatIndexMessage(qsizetype index) {
    QByteArray text(document_errors::ListIndexOutOfBounds);
    text.replace("%d", QByteArray::number(index));
    return text.toStdString();
}

} // namespace

EListIndexError::EListIndexError(qsizetype index)
    : std::runtime_error(formatIndexMessage(index)), index_(index) {}

namespace {

std::string figureFileMessage(const QString& loaderMessage, const QString& path, qsizetype line) {
    const QString where =
        QString::fromUtf8(document_errors::FigureFileAt).arg(path, QString::number(line));
    return (loaderMessage + QLatin1Char('\n') + where).toStdString();
}

} // namespace

FigureFileError::FigureFileError(const QString& loaderMessage, const QString& path, qsizetype line)
    : std::runtime_error(figureFileMessage(loaderMessage, path, line)),
      loaderMessage_(loaderMessage), path_(path), line_(line) {}
