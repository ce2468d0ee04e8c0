#include "platform/GdiClip.h"

#include "platform/GdiGeometry.h"

#include <uemf.h>

namespace gdi_clip {

namespace {

// A clip region that would grow beyond this many path elements is not changed further.
constexpr int kMaxClipElements = 50000;
// Path boolean operations cost about (elements + 100) units; past this budget per playing,
// only replacing and rectangle-with-rectangle clips are done.
constexpr qint64 kClipBudget = 200000;

// The rectangle a path made by addRect (or mapped by a scale and translation) describes.
bool asRect(const QPainterPath& p, QRectF* rect) {
    if (p.elementCount() != 5)
        return false;
    const QRectF r = p.boundingRect();
    for (int i = 0; i < 4; ++i) {
        const QPainterPath::Element e = p.elementAt(i);
        if ((e.x != r.left() && e.x != r.right()) || (e.y != r.top() && e.y != r.bottom()))
            return false;
    }
    const QPainterPath::Element a = p.elementAt(0), b = p.elementAt(1), c = p.elementAt(2);
    if (!((a.x == b.x && b.y == c.y) || (a.y == b.y && b.x == c.x)))
        return false;
    *rect = r;
    return true;
}

} // namespace

bool Budget::spend(qint64 units) {
    spent_ += units;
    return spent_ <= kClipBudget;
}

QPainterPath rectPath(const QRectF& r) {
    QPainterPath p;
    p.addRect(r.normalized());
    return p;
}

bool combine(std::optional<QPainterPath>& clip, const QPainterPath& target, int mode,
             Budget& budget) {
    static const QPainterPath everything =
        rectPath(QRectF(-kMaxCoordinate, -kMaxCoordinate, 2 * kMaxCoordinate, 2 * kMaxCoordinate));
    const QPainterPath current = clip ? *clip : everything;
    QRectF a, b;
    if (mode == U_RGN_AND && clip && asRect(current, &a) && asRect(target, &b)) {
        clip = rectPath(a.intersected(b));
        return true;
    }
    if (mode != U_RGN_COPY && !budget.spend(current.elementCount() + target.elementCount() + 100))
        return false;
    QPainterPath result;
    switch (mode) {
    case U_RGN_AND:
        result = clip ? current.intersected(target) : target;
        break;
    case U_RGN_OR:
        if (!clip)
            return false;
        result = current.united(target);
        break;
    case U_RGN_XOR:
        result = current.subtracted(target).united(target.subtracted(current));
        break;
    case U_RGN_DIFF:
        result = current.subtracted(target);
        break;
    case U_RGN_COPY:
        result = target;
        break;
    default:
        return false;
    }
    if (result.elementCount() > kMaxClipElements)
        return false;
    clip = result;
    return true;
}

} // namespace gdi_clip
