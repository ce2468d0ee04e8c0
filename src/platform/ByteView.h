#pragma once
// A bounds-checked little-endian view of untrusted bytes: every read outside the view yields 0,
// so a record decoder can never read past its record whatever the record claims.

#include <QtGlobal>

#include <cstring>
#include <type_traits>

class ByteView {
public:
    ByteView() = default;
    ByteView(const char* data, qint64 size)
        : data_(data), size_(data ? qMax<qint64>(size, 0) : 0) {}

    const char* data() const { return data_; }
    qint64 size() const { return size_; }

    // True when [offset, offset + length) lies inside the view; safe against overflow.
    bool has(qint64 offset, qint64 length) const {
        return offset >= 0 && length >= 0 && offset <= size_ && length <= size_ - offset;
    }

    template <typename T> T get(qint64 offset) const {
        static_assert(std::is_trivially_copyable_v<T>);
        T value{};
        if (has(offset, qint64(sizeof(T))))
            std::memcpy(&value, data_ + offset, sizeof(T));
        return value;
    }
    quint8 u8(qint64 offset) const { return get<quint8>(offset); }
    quint16 u16(qint64 offset) const { return get<quint16>(offset); }
    qint16 i16(qint64 offset) const { return get<qint16>(offset); }
    quint32 u32(qint64 offset) const { return get<quint32>(offset); }
    qint32 i32(qint64 offset) const { return get<qint32>(offset); }
    float f32(qint64 offset) const { return get<float>(offset); }

    // The part [offset, offset + length), cut to what the view holds.
    ByteView sub(qint64 offset, qint64 length) const {
        if (offset < 0 || offset > size_ || length < 0)
            return {};
        return ByteView(data_ + offset, qMin(length, size_ - offset));
    }

private:
    const char* data_ = nullptr;
    qint64 size_ = 0;
};
