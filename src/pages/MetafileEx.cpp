#include "pages/MetafileEx.h"

#include "platform/MetafilePlayer.h"

#include <QPainter>
#include <QPainterPath>

namespace {

// Saves the painter's clip and lifts it; puts it back on every way out, exceptions included.
class ClipLifted {
public:
    explicit ClipLifted(QPainter& painter)
        : painter_(painter), hadClip_(painter.hasClipping()),
          clip_(hadClip_ ? painter.clipPath() : QPainterPath()),
          transform_(painter.worldTransform()) {
        painter_.setClipping(false);
    }
    ~ClipLifted() {
        const QTransform now = painter_.worldTransform();
        painter_.setWorldTransform(transform_);
        if (hadClip_)
            painter_.setClipPath(clip_);
        else
            painter_.setClipping(false);
        painter_.setWorldTransform(now);
    }
    ClipLifted(const ClipLifted&) = delete;
    ClipLifted& operator=(const ClipLifted&) = delete;

private:
    QPainter& painter_;
    bool hadClip_;
    QPainterPath clip_; // in the coordinates of transform_
    QTransform transform_;
};

} // namespace

void TMetafileEx::draw(QPainter& painter, const QRect& target) const {
    const ClipLifted lifted(painter);
    MetafilePlayer::play(metafile_, painter, QRectF(target));
}
