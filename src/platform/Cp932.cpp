#include "platform/Cp932.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace cp932 {
namespace {

// One conversion descriptor per direction and thread: iconv_open is far dearer than a conversion.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t handle() const { return cd_; }

private:
    iconv_t cd_;
};

Converter& decoder() {
    thread_local Converter c("UTF-16LE", "CP932");
    return c;
}

Converter& encoder() {
    thread_local Converter c("CP932", "UTF-16LE");
    return c;
}

} // namespace

QString decode(QByteArrayView bytes) {
    if (bytes.isEmpty())
        return {};
    Converter& conv = decoder();
    if (!conv.valid())
        return QString::fromLatin1(bytes.data(), bytes.size());
    iconv(conv.handle(), nullptr, nullptr, nullptr, nullptr);

    // Every byte yields at most one UTF-16 unit.
    QString out(bytes.size(), Qt::Uninitialized);
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = size_t(bytes.size());
    char* outPtr = reinterpret_cast<char*>(out.data());
    size_t outLeft = size_t(out.size()) * 2;
    while (inLeft > 0) {
        if (iconv(conv.handle(), &in, &inLeft, &outPtr, &outLeft) != size_t(-1))
            break;
        if (errno == E2BIG)
            break; // cannot happen: one unit per byte is always enough
        // EILSEQ or EINVAL: an undecodable byte (or a lead byte at the end). Replace one
        // byte, or a lead byte with its trail byte, and go on.
        const unsigned char b = static_cast<unsigned char>(*in);
        const size_t skip = (isLeadByte(b) && inLeft >= 2) ? 2 : 1;
        const char16_t replacement = 0xFFFD;
        std::memcpy(outPtr, &replacement, 2);
        outPtr += 2;
        outLeft -= 2;
        in += skip;
        inLeft -= skip;
        iconv(conv.handle(), nullptr, nullptr, nullptr, nullptr);
    }
    out.truncate((reinterpret_cast<QChar*>(outPtr) - out.data()));
    return out;
}

QByteArray encode(const QString& text) {
    return encode(text, "?", nullptr);
}

QByteArray encode(const QString& text, QByteArrayView replacement, qsizetype* unmapped) {
    if (text.isEmpty())
        return {};
    Converter& conv = encoder();
    QByteArray out;
    if (!conv.valid())
        return text.toLatin1();
    iconv(conv.handle(), nullptr, nullptr, nullptr, nullptr);
    // Two bytes per unit, or the replacement for every unit, is always enough.
    out.resize(text.size() * std::max<qsizetype>(2, replacement.size()));
    char* in = reinterpret_cast<char*>(const_cast<QChar*>(text.constData()));
    size_t inLeft = size_t(text.size()) * 2;
    char* outPtr = out.data();
    size_t outLeft = size_t(out.size());
    while (inLeft > 0) {
        if (iconv(conv.handle(), &in, &inLeft, &outPtr, &outLeft) != size_t(-1))
            break;
        if (errno == E2BIG || outLeft == 0)
            break;
        if (outLeft < size_t(replacement.size()))
            break;
        // A character without a code page 932 form: write the replacement and skip it (a
        // surrogate pair takes two units).
        char16_t unit;
        std::memcpy(&unit, in, 2);
        const size_t skip = (QChar::isHighSurrogate(unit) && inLeft >= 4) ? 4 : 2;
        std::memcpy(outPtr, replacement.data(), size_t(replacement.size()));
        outPtr += replacement.size();
        outLeft -= size_t(replacement.size());
        if (unmapped)
            ++*unmapped;
        in += skip;
        inLeft -= skip;
        iconv(conv.handle(), nullptr, nullptr, nullptr, nullptr);
    }
    out.truncate(outPtr - out.data());
    return out;
}

QByteArray truncated(QByteArrayView text, qsizetype capacity) {
    if (capacity <= 0)
        return {};
    if (text.size() <= capacity)
        return text.toByteArray();
    qsizetype end = 0;
    while (end < capacity) {
        const qsizetype width =
            (isLeadByte(static_cast<unsigned char>(text[end])) && end + 1 < text.size()) ? 2 : 1;
        if (end + width > capacity)
            break;
        end += width;
    }
    return text.first(end).toByteArray();
}

} // namespace cp932
