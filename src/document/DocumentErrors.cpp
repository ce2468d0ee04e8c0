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
