// The GDI context's drawing: lines and shapes, paths, and raster operations, all in logical
// units.

#include "platform/GdiContext.h"

#include <QLineF>

#include <cmath>

#include <uemf.h>

// ---- lines and shapes ---------------------------------------------------------------------

void GdiContext::addToPath(const QPainterPath& logicalPath, bool connect) {
    const QTransform& t = logicalToTarget();
    if (!xformUsable_)
        return;
    const QPainterPath mapped = t.map(logicalPath);
    if (connect && !pathNeedsMove_ && path_.elementCount() > 0) {
        path_.connectPath(mapped);
    } else {
        path_.addPath(mapped);
    }
    pathNeedsMove_ = !connect;
}

void GdiContext::drawPath(const QPainterPath& logicalPath, bool stroke, bool fill) {
    if (inPath_) {
        addToPath(logicalPath, false);
        pathNeedsMove_ = true;
        return;
    }
    if (!sane(logicalPath.controlPointRect()) || !prepare(stroke, fill))
        return;
    painter_.drawPath(logicalPath);
}

void GdiContext::moveTo(QPointF p) {
    state_.position = p;
    pathNeedsMove_ = true;
}

void GdiContext::lineTo(QPointF p) {
    const QPointF from = state_.position;
    state_.position = p;
    if (inPath_) {
        const QTransform& t = logicalToTarget();
        if (!xformUsable_)
            return;
        if (pathNeedsMove_ || path_.elementCount() == 0)
            path_.moveTo(t.map(from));
        path_.lineTo(t.map(p));
        pathNeedsMove_ = false;
        return;
    }
    if (!sane(QRectF(from, p).normalized()) || !prepare(true, false))
        return;
    painter_.drawLine(QLineF(from, p));
}

void GdiContext::polyline(std::span<const QPointF> points) {
    if (points.size() < 2)
        return;
    if (inPath_) {
        QPainterPath p(points[0]);
        for (size_t i = 1; i < points.size(); ++i)
            p.lineTo(points[i]);
        addToPath(p, false);
        pathNeedsMove_ = true;
        return;
    }
    QPolygonF poly(points.begin(), points.end());
    if (!sane(poly.boundingRect()) || !prepare(true, false))
        return;
    painter_.drawPolyline(poly);
}

void GdiContext::polylineTo(std::span<const QPointF> points) {
    if (points.empty())
        return;
    if (inPath_) {
        const QTransform& t = logicalToTarget();
        if (!xformUsable_)
            return;
        if (pathNeedsMove_ || path_.elementCount() == 0)
            path_.moveTo(t.map(state_.position));
        for (const QPointF& p : points)
            path_.lineTo(t.map(p));
        pathNeedsMove_ = false;
        state_.position = points.back();
        return;
    }
    QPolygonF poly;
    poly.reserve(qsizetype(points.size()) + 1);
    poly.append(state_.position);
    poly.append(QPolygonF(points.begin(), points.end()));
    state_.position = points.back();
    if (!sane(poly.boundingRect()) || !prepare(true, false))
        return;
    painter_.drawPolyline(poly);
}

static QPainterPath bezierPath(QPointF start, std::span<const QPointF> points) {
    QPainterPath p(start);
    for (size_t i = 0; i + 2 < points.size(); i += 3)
        p.cubicTo(points[i], points[i + 1], points[i + 2]);
    return p;
}

void GdiContext::polyBezier(std::span<const QPointF> points) {
    if (points.size() < 4)
        return;
    drawPath(bezierPath(points[0], points.subspan(1)), true, false);
}

void GdiContext::polyBezierTo(std::span<const QPointF> points) {
    if (points.size() < 3)
        return;
    const QPainterPath p = bezierPath(state_.position, points);
    state_.position = points[(points.size() / 3) * 3 - 1];
    if (inPath_) {
        addToPath(p, true);
        return;
    }
    drawPath(p, true, false);
}

void GdiContext::polyDraw(std::span<const QPointF> points, std::span<const quint8> types) {
    constexpr quint8 kClose = 1, kLineTo = 2, kBezierTo = 4, kMoveTo = 6;
    QPainterPath p(state_.position);
    const size_t n = qMin(points.size(), types.size());
    for (size_t i = 0; i < n; ++i) {
        const quint8 type = types[i] & ~kClose;
        if (type == kMoveTo) {
            p.moveTo(points[i]);
        } else if (type == kLineTo) {
            p.lineTo(points[i]);
        } else if (type == kBezierTo && i + 2 < n) {
            p.cubicTo(points[i], points[i + 1], points[i + 2]);
            i += 2;
        }
        if (types[i] & kClose)
            p.closeSubpath();
    }
    state_.position = p.currentPosition();
    if (inPath_) {
        addToPath(p, true);
        return;
    }
    drawPath(p, true, false);
}

void GdiContext::polygon(std::span<const QPointF> points) {
    if (points.size() < 2)
        return;
    QPolygonF poly(points.begin(), points.end());
    if (inPath_) {
        QPainterPath p;
        p.addPolygon(poly);
        p.closeSubpath();
        addToPath(p, false);
        pathNeedsMove_ = true;
        return;
    }
    if (!sane(poly.boundingRect()) || !prepare(true, true))
        return;
    painter_.drawPolygon(poly, state_.fillMode == U_WINDING ? Qt::WindingFill : Qt::OddEvenFill);
}

static QPainterPath polyPath(std::span<const QPointF> points, std::span<const quint32> counts,
                             bool close) {
    QPainterPath p;
    size_t at = 0;
    for (quint32 count : counts) {
        if (count > points.size() - at)
            break;
        if (count >= 2) {
            p.moveTo(points[at]);
            for (size_t i = 1; i < count; ++i)
                p.lineTo(points[at + i]);
            if (close)
                p.closeSubpath();
        }
        at += count;
    }
    return p;
}

void GdiContext::polyPolygon(std::span<const QPointF> points, std::span<const quint32> counts) {
    QPainterPath p = polyPath(points, counts, true);
    p.setFillRule(state_.fillMode == U_WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    drawPath(p, true, true);
}

void GdiContext::polyPolyline(std::span<const QPointF> points, std::span<const quint32> counts) {
    drawPath(polyPath(points, counts, false), true, false);
}

void GdiContext::rectangle(const QRectF& box) {
    QPainterPath p;
    p.addRect(box.normalized());
    drawPath(p, true, true);
}

void GdiContext::roundRect(const QRectF& box, QSizeF corner) {
    QPainterPath p;
    p.addRoundedRect(box.normalized(), std::abs(corner.width()) / 2, std::abs(corner.height()) / 2);
    drawPath(p, true, true);
}

void GdiContext::ellipse(const QRectF& box) {
    QPainterPath p;
    p.addEllipse(box.normalized());
    drawPath(p, true, true);
}

QPainterPath GdiContext::arcPath(ArcKind kind, const QRectF& rawBox, QPointF start, QPointF end,
                                 QPointF* arcEnd) {
    const QRectF box = rawBox.normalized();
    const QPointF c = box.center();
    const double rx = box.width() / 2;
    const double ry = box.height() / 2;
    QPainterPath p;
    if (rx <= 0 || ry <= 0)
        return p;
    // Angles of the radial points, in the parametric sense QPainterPath uses.
    auto angle = [&](QPointF q) {
        return std::atan2(-(q.y() - c.y()) / ry, (q.x() - c.x()) / rx) * 180.0 / M_PI;
    };
    const double a0 = angle(start);
    const double a1 = angle(end);
    // The direction is the device's: a mapping that flips an axis turns it round in logical
    // units.
    bool counterClockwise = !state_.clockwise;
    if (logicalToTarget().determinant() < 0)
        counterClockwise = !counterClockwise;
    double sweep;
    if (counterClockwise) {
        sweep = std::fmod(a1 - a0 + 720.0, 360.0);
        if (sweep < 1e-9)
            sweep = 360;
    } else {
        sweep = -std::fmod(a0 - a1 + 720.0, 360.0);
        if (sweep > -1e-9)
            sweep = -360;
    }
    switch (kind) {
    case ArcKind::Arc:
        p.arcMoveTo(box, a0);
        p.arcTo(box, a0, sweep);
        break;
    case ArcKind::ArcTo:
        p.moveTo(state_.position);
        p.arcTo(box, a0, sweep);
        break;
    case ArcKind::Pie:
        p.moveTo(c);
        p.arcTo(box, a0, sweep);
        p.closeSubpath();
        break;
    case ArcKind::Chord:
        p.arcMoveTo(box, a0);
        p.arcTo(box, a0, sweep);
        p.closeSubpath();
        break;
    }
    if (arcEnd) {
        QPainterPath e;
        e.arcMoveTo(box, a0 + sweep);
        *arcEnd = e.currentPosition();
    }
    return p;
}

void GdiContext::arc(ArcKind kind, const QRectF& box, QPointF start, QPointF end) {
    QPointF arcEnd;
    const QPainterPath p = arcPath(kind, box, start, end, &arcEnd);
    if (kind == ArcKind::ArcTo) {
        state_.position = arcEnd;
        if (inPath_) {
            addToPath(p, true);
            return;
        }
    }
    if (p.isEmpty())
        return;
    const bool closed = kind == ArcKind::Pie || kind == ArcKind::Chord;
    drawPath(p, true, closed);
}

void GdiContext::angleArc(QPointF center, double radius, double startDeg, double sweepDeg) {
    if (!std::isfinite(radius) || !std::isfinite(startDeg) || !std::isfinite(sweepDeg))
        return;
    sweepDeg = qBound(-3600.0, sweepDeg, 3600.0);
    const QRectF box(center.x() - radius, center.y() - radius, 2 * radius, 2 * radius);
    QPainterPath p(state_.position);
    p.arcTo(box, startDeg, sweepDeg);
    state_.position = p.currentPosition();
    if (inPath_) {
        addToPath(p, true);
        return;
    }
    drawPath(p, true, false);
}

void GdiContext::setPixel(QPointF p, QColor color) {
    if (inPath_ || !sane(QRectF(p, QSizeF(1, 1))))
        return;
    const QPointF at = xform_.map(p);
    applyClip();
    painter_.setTransform(initial_);
    painter_.fillRect(QRectF(std::floor(at.x()), std::floor(at.y()), 1, 1), color);
    painterXformDirty_ = true;
}

// ---- paths --------------------------------------------------------------------------------

void GdiContext::beginPath() {
    inPath_ = true;
    path_ = QPainterPath();
    pathNeedsMove_ = true;
}

void GdiContext::endPath() {
    inPath_ = false;
}

void GdiContext::abortPath() {
    inPath_ = false;
    path_ = QPainterPath();
}

void GdiContext::closeFigure() {
    if (inPath_ && path_.elementCount() > 0) {
        path_.closeSubpath();
        pathNeedsMove_ = true;
    }
}

static void finishPath(QPainterPath& path, bool& inPath) {
    inPath = false;
    path = QPainterPath();
}

void GdiContext::strokePath() {
    strokeAndFill(true, false);
}

void GdiContext::fillPath() {
    strokeAndFill(false, true);
}

void GdiContext::strokeAndFillPath() {
    strokeAndFill(true, true);
}

void GdiContext::strokeAndFill(bool stroke, bool fill) {
    const QTransform& t = logicalToTarget();
    QPainterPath target = path_;
    finishPath(path_, inPath_);
    if (!xformUsable_ || target.isEmpty())
        return;
    if (fill)
        target.closeSubpath();
    // Back into logical units so that the pen keeps its logical width.
    QPainterPath logical = t.inverted().map(target);
    logical.setFillRule(state_.fillMode == U_WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    if (!sane(logical.controlPointRect()) || !prepare(stroke, fill))
        return;
    painter_.drawPath(logical);
}

void GdiContext::selectClipPath(int mode) {
    QPainterPath target = path_;
    finishPath(path_, inPath_);
    if (target.isEmpty())
        return; // no path: the clip stays as it is
    target.closeSubpath();
    target.setFillRule(state_.fillMode == U_WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    combineClip(target, mode);
}

// ---- raster operations --------------------------------------------------------------------

void GdiContext::patBlt(const QRectF& dest, quint32 rop) {
    if (inPath_ || !sane(dest) || !prepare(false, false))
        return;
    const QRectF r = dest.normalized();
    switch (rop) {
    case U_BLACKNESS:
        painter_.fillRect(r, Qt::black);
        break;
    case U_WHITENESS:
        painter_.fillRect(r, Qt::white);
        break;
    case U_DSTINVERT:
    case U_PATINVERT:
        if (applyRasterOp(rop))
            painter_.fillRect(r, rop == U_DSTINVERT ? QBrush(Qt::white)
                                                    : makeBrush(state_.brush, xform_ * initial_));
        painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
        break;
    case U_PATCOPY:
        painter_.fillRect(r, makeBrush(state_.brush, xform_ * initial_));
        break;
    default:
        break; // the destination stays as it is (e.g. 0x00AA0029, no operation)
    }
}

void GdiContext::drawImage(const QRectF& dest, const QImage& source, const QRectF& sourceRect,
                           quint32 rop, int constantAlpha) {
    if (inPath_ || !sane(dest))
        return;
    if (rop == U_BLACKNESS || rop == U_WHITENESS || rop == U_PATCOPY || rop == U_DSTINVERT ||
        rop == U_PATINVERT) {
        patBlt(dest, rop);
        return;
    }
    if (source.isNull() || !prepare(false, false))
        return;
    // Only the part of the source inside the image is drawn, onto the matching part of dest.
    QRectF src = sourceRect;
    if (src.width() == 0 || src.height() == 0)
        return;
    const QRectF inside = src.normalized().intersected(QRectF(source.rect()));
    if (inside.isEmpty())
        return;
    const double fx = dest.width() / src.width();
    const double fy = dest.height() / src.height();
    const QRectF part(dest.left() + (inside.left() - src.left()) * fx,
                      dest.top() + (inside.top() - src.top()) * fy, inside.width() * fx,
                      inside.height() * fy);
    QImage image = source;
    if (rop == U_NOTSRCCOPY) {
        image = source.convertToFormat(QImage::Format_ARGB32);
        image.invertPixels();
    }
    // A negative width or height mirrors the picture, as the mapping would.
    const QTransform unitToDest(part.width(), 0, 0, part.height(), part.left(), part.top());
    painter_.setTransform(unitToDest * xform_ * initial_);
    painterXformDirty_ = true;
    if (applyRasterOp(rop)) {
        painter_.setOpacity(qBound(0, constantAlpha, 255) / 255.0);
        painter_.drawImage(QRectF(0, 0, 1, 1), image, inside);
        painter_.setOpacity(1.0);
    }
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    penDirty_ = true; // the composition mode of a pen with ROP2 must be set again
}
