#pragma once
// A settings text of fixed capacity in code page 932 bytes. Storing a longer text keeps its
// first bytes up to the capacity, never half of a double-byte character.

#include <QByteArray>
#include <QString>

#include "platform/Cp932.h"

template <int Capacity> class ShortString {
public:
    ShortString() = default;
    ShortString(QByteArrayView bytes) : bytes_(cp932::truncated(bytes, Capacity)) {}
    ShortString(const char* bytes) : ShortString(QByteArrayView(bytes)) {}
    ShortString(const QByteArray& bytes) : ShortString(QByteArrayView(bytes)) {}
    ShortString(const QString& text) : ShortString(QByteArrayView(cp932::encode(text))) {}

    static constexpr int capacity() { return Capacity; }
    const QByteArray& bytes() const { return bytes_; }
    QString text() const { return cp932::decode(bytes_); }
    bool operator==(const ShortString&) const = default;

private:
    QByteArray bytes_;
};
