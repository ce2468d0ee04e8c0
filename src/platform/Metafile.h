#pragma once
// A metafile read into memory and checked from end to end: an enhanced metafile, or a Windows
// metafile with a placeable header. Nothing reaches the player that was not validated here.

#include <QByteArray>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>

class Metafile {
public:
    enum class Format { Enhanced, Placeable };

    // Both throw MetafileError ("メタファイルが不正です") for anything but a sound EMF or
    // placeable WMF, and for files that cannot be read.
    static Metafile fromFile(const QString& path);
    static Metafile fromBytes(const QByteArray& bytes);

    Format format() const { return format_; }
    const QByteArray& bytes() const { return bytes_; }

    // The picture's size from its header, in hundredths of a millimetre.
    QSize sizeHundredthsMm() const { return sizeHundredthsMm_; }

    // The rectangle that playing maps onto the target, in the file's device units (EMF:
    // reference-device pixels from the frame; WMF: the placeable bounding box).
    QRectF deviceFrame() const { return deviceFrame_; }
    // Device units per millimetre, for the metric and English map modes.
    QSizeF devicePixelsPerMm() const { return devicePixelsPerMm_; }
    // Slots of the object table the records may use.
    quint32 objectCapacity() const { return objectCapacity_; }
    // Byte offset of the first record after the header(s).
    qint64 firstRecord() const { return firstRecord_; }

private:
    friend struct MetafileLoader;
    Format format_ = Format::Enhanced;
    QByteArray bytes_;
    QSize sizeHundredthsMm_;
    QRectF deviceFrame_;
    QSizeF devicePixelsPerMm_{1, 1};
    quint32 objectCapacity_ = 0;
    qint64 firstRecord_ = 0;
};
