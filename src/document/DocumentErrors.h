#pragma once
// Messages of the document layer, shown to the user as they stand, and the errors that carry
// them.

#include <QtGlobal>
#include <stdexcept>

namespace document_errors {
// An operand line that the document does not have; %d is the line index asked for.
inline constexpr const char* ListIndexOutOfBounds = "リストのインデックスが範囲を超えています (%d)";
} // namespace document_errors

// Raised when a tag asks for an operand line beyond the last line of the document.
class EListIndexError : public std::runtime_error {
public:
    explicit EListIndexError(qsizetype index);
    qsizetype index() const { return index_; }

private:
    qsizetype index_;
};
