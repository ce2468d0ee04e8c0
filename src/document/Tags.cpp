#include "document/Tags.h"

#include <algorithm>

namespace tags {
namespace {

template <std::size_t N>
bool isOneOf(QByteArrayView line, const std::array<QByteArrayView, N>& set) {
    // Plain byte equality: QByteArrayView's == compares bytes, not text.
    return std::any_of(set.begin(), set.end(), [line](QByteArrayView tag) { return line == tag; });
}

} // namespace

bool isFigureFileTag(QByteArrayView line) {
    return isOneOf(line, FigureFileTags);
}

bool isFigureBlockTag(QByteArrayView line) {
    return isOneOf(line, FigureBlockTags);
}

bool isMetafileTag(QByteArrayView line) {
    return line == EmfFile || line == EmfFile0 || line == EmfFileC || line == EmfFileR ||
           line == EmfFileS || line == EmfFileL;
}

bool isBitmapTag(QByteArrayView line) {
    return line == BmpFile || line == BmpFileC || line == BmpFileR || line == BmpFileL;
}

} // namespace tags

bool IsTagLine(QByteArrayView line) {
    // Every tag starts with '<' and ends with '>'; most text lines fail here at once.
    if (line.size() < 2 || line.front() != '<' || line.back() != '>')
        return false;
    return tags::isOneOf(line, tags::AllTags);
}
