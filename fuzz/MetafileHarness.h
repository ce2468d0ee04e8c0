#pragma once
// Loads a metafile from arbitrary bytes and plays it into a small image, the painter scaled
// a little differently across and down as the preview's page picture is.

#include "FuzzSupport.h"
#include "platform/Metafile.h"
#include "platform/MetafilePlayer.h"

#include <QImage>
#include <QPainter>

#include <exception>

inline int fuzzMetafile(const uint8_t* data, size_t size) {
    fuzzInitialiseOnce();
    try {
        const Metafile metafile =
            Metafile::fromBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
        QImage image(96, 64, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.scale(0.9, 0.95);
        MetafilePlayer::play(metafile, painter, QRectF(4, 4, 90, 60));
    } catch (const std::exception&) {
    }
    return 0;
}
