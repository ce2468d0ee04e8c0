#include "platform/MetafilePlayer.h"

#include "platform/GdiContext.h"
#include "platform/Metafile.h"
#include "platform/MetafileFormats.h"

#include <uemf.h>

void MetafilePlayer::play(const Metafile& metafile, QPainter& painter, const QRectF& target) {
    const QRectF frame = metafile.deviceFrame();
    if (frame.width() <= 0 || frame.height() <= 0 || target.isEmpty())
        return;
    const ByteView file(metafile.bytes().constData(), metafile.bytes().size());
    if (metafile.format() == Metafile::Format::Enhanced) {
        // Records are in reference-device pixels; the frame lands on the target.
        const double sx = target.width() / frame.width();
        const double sy = target.height() / frame.height();
        const QTransform deviceToTarget(sx, 0, 0, sy, target.left() - frame.left() * sx,
                                        target.top() - frame.top() * sy);
        GdiContext gdi(painter, deviceToTarget, metafile.devicePixelsPerMm(),
                       metafile.objectCapacity());
        emf_records::play(file, gdi);
        return;
    }
    // A placeable WMF: the device space is the bounding box's size, and the window starts as
    // the bounding box, so records in bounding-box units fill the target; a file that sets
    // its own window is scaled onto the same rectangle.
    const double sx = target.width() / frame.width();
    const double sy = target.height() / frame.height();
    const QTransform deviceToTarget(sx, 0, 0, sy, target.left(), target.top());
    GdiContext gdi(painter, deviceToTarget, metafile.devicePixelsPerMm(),
                   metafile.objectCapacity());
    gdi.setMapMode(U_MM_ANISOTROPIC);
    gdi.setWindowOrg(frame.topLeft());
    gdi.setWindowExt(frame.size());
    gdi.setViewportOrg(QPointF(0, 0));
    gdi.setViewportExt(frame.size());
    wmf_records::play(file, metafile.firstRecord(), gdi);
}
