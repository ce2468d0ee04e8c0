#pragma once
// Loads a metafile from arbitrary bytes and plays it as a figure of a 600-dpi page (2400 x
// 1600 dots) into an image at the replay scale the input chooses (0.01 to 4), the painter
// scaled a little differently across and down as the preview's page picture is.

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
        const double scale = fuzzReplayScale(data, size);
        QImage image = fuzzReplayImage(2440, 1640, scale, 512, 384);
        QPainter painter(&image);
        painter.scale(scale * 0.95, scale);
        MetafilePlayer::play(metafile, painter, QRectF(20, 20, 2400, 1600));
    } catch (const std::exception&) {
    }
    return 0;
}
