#pragma once
// Messages of the document layer, shown to the user as they stand, and the errors that carry
// them.

#include <QString>
#include <QtGlobal>
#include <stdexcept>

namespace document_errors {
// An operand line that the document does not have; %d is the line index asked for.
inline constexpr const char* ListIndexOutOfBounds = "リストのインデックスが範囲を超えています (%d)";
// Under a figure loader's message: %1 the figure file, %2 the report line that names it.
inline constexpr const char* FigureFileAt = "図形ファイル: %1\nレポートの %2 行目";
} // namespace document_errors

// Raised when a tag asks for an operand line beyond the last line of the document.
class EListIndexError : public std::runtime_error {
public:
    explicit EListIndexError(qsizetype index);
    qsizetype index() const { return index_; }

private:
    qsizetype index_;
};

// A figure file that could not be loaded or drawn: the loader's message, then the file and the
// report line that names it.
class FigureFileError : public std::runtime_error {
public:
    FigureFileError(const QString& loaderMessage, const QString& path, qsizetype line);
    const QString& loaderMessage() const { return loaderMessage_; }
    const QString& path() const { return path_; }
    qsizetype line() const { return line_; }

private:
    QString loaderMessage_;
    QString path_;
    qsizetype line_;
};
