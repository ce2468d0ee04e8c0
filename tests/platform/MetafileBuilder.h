#pragma once
// Builds metafiles in memory for tests from libuemf's record writers (U_EMR*_set, U_WMR*_set):
// the builders only track the growing file and fix its header at the end.

#include <QByteArray>
#include <QRect>
#include <QSizeF>
#include <QString>

#include <cstdlib>
#include <cstring>
#include <vector>

#include <uemf.h>
#include <uwmf.h>

class EmfBuilder {
public:
    // A picture of frameMm millimetres recorded against a device of pixelsPerMm pixels per mm,
    // so that MM_TEXT units are pixelsPerMm per millimetre.
    explicit EmfBuilder(QSizeF frameMm = {100, 100}, int pixelsPerMm = 10) {
        const U_RECTL bounds = rectl_set(point32_set(0, 0), point32_set(0, 0));
        const U_RECTL frame =
            rectl_set(point32_set(0, 0),
                      point32_set(int32_t(frameMm.width() * 100), int32_t(frameMm.height() * 100)));
        add(U_EMRHEADER_set(bounds, frame, nullptr, 0, nullptr,
                            sizel_set(200 * pixelsPerMm, 200 * pixelsPerMm), sizel_set(200, 200),
                            0));
    }

    // Takes a record made by a U_EMR*_set function and frees it.
    EmfBuilder& add(char* record) {
        if (!record)
            return *this;
        uint32_t size;
        std::memcpy(&size, record + 4, 4);
        bytes_.append(record, int(size));
        std::free(record);
        ++records_;
        return *this;
    }

    // Appends raw record bytes (for hand-made broken records).
    EmfBuilder& addRaw(const QByteArray& record) {
        bytes_.append(record);
        ++records_;
        return *this;
    }

    QByteArray finish(quint16 handles = 32) {
        const uint32_t eof[5] = {U_EMR_EOF, 20, 0, 16, 20};
        bytes_.append(reinterpret_cast<const char*>(eof), sizeof eof);
        ++records_;
        const uint32_t total = uint32_t(bytes_.size());
        std::memcpy(bytes_.data() + 48, &total, 4);
        std::memcpy(bytes_.data() + 52, &records_, 4);
        std::memcpy(bytes_.data() + 56, &handles, 2);
        return bytes_;
    }

private:
    QByteArray bytes_;
    uint32_t records_ = 0;
};

class WmfBuilder {
public:
    // A placeable WMF with bounding box box in logical units of `inch` units per inch.
    explicit WmfBuilder(QRect box = QRect(0, 0, 1000, 1000), quint16 inch = 254) {
        quint16 placeable[11] = {};
        const quint32 key = 0x9AC6CDD7;
        std::memcpy(placeable, &key, 4);
        placeable[3] = quint16(box.left());
        placeable[4] = quint16(box.top());
        placeable[5] = quint16(box.left() + box.width());
        placeable[6] = quint16(box.top() + box.height());
        placeable[7] = inch;
        quint16 sum = 0;
        for (int i = 0; i < 10; ++i)
            sum ^= placeable[i];
        placeable[10] = sum;
        bytes_.append(reinterpret_cast<const char*>(placeable), 22);
        const quint16 header[9] = {1, 9, 0x0300, 0, 0, 16, 0, 0, 0};
        bytes_.append(reinterpret_cast<const char*>(header), 18);
    }

    // Takes a record made by a U_WMR*_set function and frees it.
    WmfBuilder& add(char* record) {
        if (!record)
            return *this;
        uint32_t words;
        std::memcpy(&words, record, 4);
        bytes_.append(record, int(words * 2));
        maxRecord_ = qMax(maxRecord_, words);
        std::free(record);
        return *this;
    }

    QByteArray finish() {
        add(U_WMREOF_set());
        const quint32 words = quint32((bytes_.size() - 22) / 2);
        std::memcpy(bytes_.data() + 22 + 6, &words, 4);
        std::memcpy(bytes_.data() + 22 + 12, &maxRecord_, 4);
        return bytes_;
    }

private:
    QByteArray bytes_;
    uint32_t maxRecord_ = 0;
};

// Helpers for the record writers.
inline U_RECTL emfRect(int l, int t, int r, int b) {
    return rectl_set(point32_set(l, t), point32_set(r, b));
}

inline U_RECT16 wmfRect(int l, int t, int r, int b) {
    U_POINT16 ul{int16_t(l), int16_t(t)};
    U_POINT16 lr{int16_t(r), int16_t(b)};
    return U_RECT16_set(ul, lr);
}

inline U_POINT16 wmfPoint(int x, int y) {
    return U_POINT16{int16_t(x), int16_t(y)};
}

// EXTCREATEFONTINDIRECTW for a face, height and character set.
inline char* emfFont(uint32_t index, int height, const QString& face, uint8_t charset = 128,
                     int escapement = 0) {
    uint16_t name[U_LF_FACESIZE] = {};
    for (int i = 0; i < face.size() && i < U_LF_FACESIZE - 1; ++i)
        name[i] = face[i].unicode();
    U_LOGFONT lf = logfont_set(height, 0, escapement, 0, 400, 0, 0, 0, charset, 0, 0, 0, 0, name);
    return U_EMREXTCREATEFONTINDIRECTW_set(index, reinterpret_cast<const char*>(&lf), nullptr);
}

// EXTTEXTOUTA or EXTTEXTOUTW with one advance per code unit.
inline char* emfText(int x, int y, const QByteArray& units, int charBytes,
                     const std::vector<uint32_t>& dx, uint32_t options = 0) {
    std::vector<uint32_t> advances = dx;
    const uint32_t count = uint32_t(units.size() / charBytes);
    advances.resize(count, 0);
    char* text = emrtext_set(point32_set(x, y), count, uint32_t(charBytes),
                             const_cast<char*>(units.constData()), options, emfRect(0, 0, 0, 0),
                             advances.data());
    char* record = charBytes == 1 ? U_EMREXTTEXTOUTA_set(emfRect(0, 0, 0, 0), U_GM_COMPATIBLE, 1, 1,
                                                         reinterpret_cast<PU_EMRTEXT>(text))
                                  : U_EMREXTTEXTOUTW_set(emfRect(0, 0, 0, 0), U_GM_COMPATIBLE, 1, 1,
                                                         reinterpret_cast<PU_EMRTEXT>(text));
    std::free(text);
    return record;
}

inline QByteArray utf16Units(const QString& s) {
    return QByteArray(reinterpret_cast<const char*>(s.utf16()), int(s.size() * 2));
}
