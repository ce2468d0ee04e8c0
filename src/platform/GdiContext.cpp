#include "platform/GdiContext.h"

#include "platform/GdiGeometry.h"

#include <QLineF>
#include <QPaintEngine>

#include <algorithm>
#include <cmath>

#include <uemf.h>

namespace {

using gdi_clip::rectPath;

// Deeper SaveDC calls than this are ignored: the stack never grows without bound.
constexpr size_t kMaxSavedStates = 4096;

bool finite(const QTransform& t) {
    return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m21()) &&
           std::isfinite(t.m22()) && std::isfinite(t.dx()) && std::isfinite(t.dy());
}

} // namespace

GdiContext::GdiContext(QPainter& painter, const QTransform& deviceToTarget,
                       QSizeF devicePixelsPerMm, quint32 objectCapacity)
    : painter_(painter), deviceToTarget_(deviceToTarget), pixelsPerMm_(devicePixelsPerMm),
      objects_(objectCapacity) {
    painter_.save();
    initial_ = painter_.worldTransform();
    // The caller's clip stays in force, as a device context's clip does under a metafile's
    // own clipping; it is kept in the coordinates of initial_.
    if (painter_.hasClipping())
        callerClip_ = painter_.clipPath();
    painter_.setBackgroundMode(Qt::TransparentMode);
}

GdiContext::~GdiContext() {
    painter_.restore();
}

// ---- coordinate spaces ------------------------------------------------------------------

void GdiContext::updateTransform() {
    xform_ = state_.world * state_.mapping.pageTransform() * deviceToTarget_;
    xformUsable_ =
        finite(xform_) && xform_.determinant() != 0 && std::isfinite(xform_.determinant());
    xformValid_ = true;
}

const QTransform& GdiContext::logicalToTarget() {
    if (!xformValid_)
        updateTransform();
    return xform_;
}

void GdiContext::transformChanged() {
    xformValid_ = false;
    painterXformDirty_ = true;
    penDirty_ = true; // cosmetic or geometric depends on the scale
}

void GdiContext::setMapMode(int mode) {
    if (state_.mapping.setMapMode(mode, pixelsPerMm_))
        transformChanged();
}

void GdiContext::setWindowOrg(QPointF p) {
    state_.mapping.setWindowOrg(p);
    transformChanged();
}

void GdiContext::setViewportOrg(QPointF p) {
    state_.mapping.setViewportOrg(p);
    transformChanged();
}

void GdiContext::offsetWindowOrg(QPointF d) {
    setWindowOrg(state_.mapping.windowOrg() + d);
}

void GdiContext::offsetViewportOrg(QPointF d) {
    setViewportOrg(state_.mapping.viewportOrg() + d);
}

void GdiContext::setWindowExt(QSizeF s) {
    if (state_.mapping.setWindowExt(s))
        transformChanged();
}

void GdiContext::setViewportExt(QSizeF s) {
    if (state_.mapping.setViewportExt(s))
        transformChanged();
}

void GdiContext::scaleWindowExt(double xNum, double xDenom, double yNum, double yDenom) {
    if (state_.mapping.scaleWindowExt(xNum, xDenom, yNum, yDenom))
        transformChanged();
}

void GdiContext::scaleViewportExt(double xNum, double xDenom, double yNum, double yDenom) {
    if (state_.mapping.scaleViewportExt(xNum, xDenom, yNum, yDenom))
        transformChanged();
}

void GdiContext::setWorldTransform(const QTransform& t) {
    if (!finite(t) || t.determinant() == 0)
        return;
    state_.world = t;
    transformChanged();
}

void GdiContext::modifyWorldTransform(const QTransform& t, quint32 mode) {
    switch (mode) {
    case U_MWT_IDENTITY:
        setWorldTransform(QTransform());
        break;
    case U_MWT_LEFTMULTIPLY:
        setWorldTransform(t * state_.world);
        break;
    case U_MWT_RIGHTMULTIPLY:
        setWorldTransform(state_.world * t);
        break;
    case 4:
        setWorldTransform(t);
        break; // MWT_SET
    default:
        break;
    }
}

void GdiContext::saveDC() {
    if (saved_.size() < kMaxSavedStates)
        saved_.push_back(state_);
}

void GdiContext::restoreDC(int which) {
    const qint64 depth = qint64(saved_.size());
    qint64 keep; // states left on the stack afterwards
    if (which < 0) {
        if (-qint64(which) > depth)
            return;
        keep = depth + which;
    } else if (which > 0) {
        if (which > depth)
            return;
        keep = which - 1;
    } else {
        return;
    }
    state_ = saved_[size_t(keep)];
    saved_.resize(size_t(keep));
    xformValid_ = false;
    painterXformDirty_ = penDirty_ = brushDirty_ = clipDirty_ = true;
}

// ---- objects ------------------------------------------------------------------------------

void GdiContext::select(const GdiObject& object) {
    if (const auto* pen = std::get_if<GdiPen>(&object))
        setPen(*pen);
    else if (const auto* brush = std::get_if<GdiBrush>(&object))
        setBrush(*brush);
    else if (const auto* font = std::get_if<GdiFont>(&object))
        setFont(*font);
    else if (const auto* region = std::get_if<GdiRegion>(&object))
        selectClipRegion(region->path, U_RGN_COPY, true);
}

void GdiContext::selectStock(quint32 id) {
    switch (id & 0x7FFFFFFF) {
    case 0:
        setBrush({U_BS_SOLID, Qt::white, 0, {}});
        break;
    case 1:
        setBrush({U_BS_SOLID, QColor(192, 192, 192), 0, {}});
        break;
    case 2:
        setBrush({U_BS_SOLID, QColor(128, 128, 128), 0, {}});
        break;
    case 3:
        setBrush({U_BS_SOLID, QColor(64, 64, 64), 0, {}});
        break;
    case 4:
        setBrush({U_BS_SOLID, Qt::black, 0, {}});
        break;
    case 5:
        setBrush({U_BS_NULL, Qt::black, 0, {}});
        break;
    case 6:
        setPen({U_PS_SOLID, 0, Qt::white, {}});
        break;
    case 7:
        setPen({U_PS_SOLID, 0, Qt::black, {}});
        break;
    case 8:
        setPen({U_PS_NULL, 0, Qt::black, {}});
        break;
    case 10:
    case 11:
    case 12:
    case 13:
    case 14:
    case 16:
    case 17:
        setFont(GdiFont{});
        break;
    case 18:
        setBrush({U_BS_SOLID, Qt::white, 0, {}});
        break;
    case 19:
        setPen({U_PS_SOLID, 0, Qt::black, {}});
        break;
    default:
        break;
    }
}

void GdiContext::setPen(const GdiPen& pen) {
    state_.pen = pen;
    penDirty_ = true;
}

void GdiContext::setBrush(const GdiBrush& brush) {
    state_.brush = brush;
    brushDirty_ = true;
}

void GdiContext::setFont(const GdiFont& font) {
    state_.font = font;
}

void GdiContext::setBkColor(QColor c) {
    state_.bkColor = c;
    penDirty_ = brushDirty_ = true;
}

void GdiContext::setBkMode(int mode) {
    if (mode == U_TRANSPARENT || mode == U_OPAQUE)
        state_.bkMode = mode;
    penDirty_ = brushDirty_ = true;
}

void GdiContext::setRop2(int rop2) {
    if (rop2 >= 1 && rop2 <= 16)
        state_.rop2 = rop2;
    penDirty_ = true;
}

// ---- painter set-up -------------------------------------------------------------------------

QPen GdiContext::makePen() {
    const GdiPen& gp = state_.pen;
    const quint32 style = gp.style & U_PS_STYLE_MASK;
    if (style == U_PS_NULL)
        return Qt::NoPen;
    QPen pen(gp.color);
    const double scale = std::sqrt(std::abs((xform_ * initial_).determinant()));
    const bool cosmetic = !(gp.width > 0) || !std::isfinite(scale) || !(gp.width * scale >= 1.0);
    // A pen wider than any page (from an absurd transform) is cut to that width; QPen itself
    // takes no width beyond 32767.
    pen.setWidthF(cosmetic ? 0.0 : std::min({gp.width, kMaxCoordinate / scale, 32767.0}));
    switch (gp.style & U_PS_ENDCAP_MASK) {
    case U_PS_ENDCAP_SQUARE:
        pen.setCapStyle(Qt::SquareCap);
        break;
    case U_PS_ENDCAP_FLAT:
        pen.setCapStyle(Qt::FlatCap);
        break;
    default:
        pen.setCapStyle(Qt::RoundCap);
        break;
    }
    switch (gp.style & U_PS_JOIN_MASK) {
    case U_PS_JOIN_BEVEL:
        pen.setJoinStyle(Qt::BevelJoin);
        break;
    case U_PS_JOIN_MITER:
        pen.setJoinStyle(Qt::MiterJoin);
        break;
    default:
        pen.setJoinStyle(Qt::RoundJoin);
        break;
    }
    // Dash lengths in pen widths; a cosmetic pen's are device pixels as on the screen.
    switch (style) {
    case U_PS_DASH:
        pen.setDashPattern(cosmetic ? QList<qreal>{18, 6} : QList<qreal>{3, 1});
        break;
    case U_PS_DOT:
        pen.setDashPattern(cosmetic ? QList<qreal>{3, 3} : QList<qreal>{1, 1});
        break;
    case U_PS_DASHDOT:
        pen.setDashPattern(cosmetic ? QList<qreal>{9, 6, 3, 6} : QList<qreal>{3, 1, 1, 1});
        break;
    case U_PS_DASHDOTDOT:
        pen.setDashPattern(cosmetic ? QList<qreal>{9, 3, 3, 3, 3, 3}
                                    : QList<qreal>{3, 1, 1, 1, 1, 1});
        break;
    case U_PS_ALTERNATE:
        pen.setDashPattern({1, 1});
        break;
    case U_PS_USERSTYLE: {
        QList<qreal> dashes;
        const double unit = cosmetic ? 1.0 : gp.width;
        for (qreal d : gp.userDashes)
            dashes.append(qMax<qreal>(d / unit, 0.01));
        if (dashes.size() % 2 == 1)
            dashes += dashes;
        if (!dashes.isEmpty())
            pen.setDashPattern(dashes);
        break;
    }
    default:
        break;
    }
    return pen;
}

QBrush GdiContext::makeBrush(const GdiBrush& gb, const QTransform& painterTransform) {
    switch (gb.style) {
    case U_BS_SOLID:
        return QBrush(gb.color);
    case U_BS_NULL:
        return Qt::NoBrush;
    case U_BS_HATCHED: {
        static const Qt::BrushStyle hatches[] = {Qt::HorPattern,   Qt::VerPattern,
                                                 Qt::FDiagPattern, Qt::BDiagPattern,
                                                 Qt::CrossPattern, Qt::DiagCrossPattern};
        return QBrush(gb.color, gb.hatch < 6 ? hatches[gb.hatch] : Qt::SolidPattern);
    }
    case U_BS_PATTERN:
    case U_BS_DIBPATTERN:
    case U_BS_DIBPATTERNPT: {
        if (gb.pattern.isNull())
            return QBrush(gb.color);
        QBrush brush(gb.pattern);
        // One pattern pixel per device pixel, whatever the mapping.
        brush.setTransform(painterTransform.inverted());
        return brush;
    }
    default:
        return QBrush(gb.color);
    }
}

bool GdiContext::applyRasterOp(quint32 rop) {
    const bool rasterOps =
        painter_.paintEngine() && painter_.paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    if (rasterOps) {
        switch (rop) {
        case U_SRCAND:
            mode = QPainter::RasterOp_SourceAndDestination;
            break;
        case U_SRCPAINT:
            mode = QPainter::RasterOp_SourceOrDestination;
            break;
        case U_SRCINVERT:
            mode = QPainter::RasterOp_SourceXorDestination;
            break;
        case U_PATINVERT:
            mode = QPainter::RasterOp_SourceXorDestination;
            break;
        case U_DSTINVERT:
            mode = QPainter::RasterOp_NotDestination;
            break;
        default:
            break;
        }
    } else if (rop == U_DSTINVERT || rop == U_PATINVERT) {
        return false; // no way to invert what is already drawn on this device
    }
    painter_.setCompositionMode(mode);
    return true;
}

void GdiContext::applyClip() {
    if (!clipDirty_)
        return;
    painter_.setTransform(initial_);
    if (state_.clip) {
        painter_.setClipPath(*state_.clip);
        if (callerClip_)
            painter_.setClipPath(*callerClip_, Qt::IntersectClip);
    } else if (callerClip_) {
        painter_.setClipPath(*callerClip_);
    } else {
        painter_.setClipping(false);
    }
    painterXformDirty_ = true;
    clipDirty_ = false;
}

bool GdiContext::prepare(bool stroke, bool fill) {
    logicalToTarget();
    if (!xformUsable_)
        return false;
    applyClip();
    if (painterXformDirty_) {
        painter_.setTransform(xform_ * initial_);
        painterXformDirty_ = false;
        brushDirty_ = true; // pattern brushes depend on the transform
    }
    if (penDirty_ || strokeSet_ != stroke) {
        painter_.setPen(stroke ? makePen() : QPen(Qt::NoPen));
        penDirty_ = false;
        strokeSet_ = stroke;
        if (stroke) {
            QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
            const bool rasterOps = painter_.paintEngine() &&
                                   painter_.paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
            if (rasterOps) {
                if (state_.rop2 == U_R2_XORPEN)
                    mode = QPainter::RasterOp_SourceXorDestination;
                else if (state_.rop2 == U_R2_NOT)
                    mode = QPainter::RasterOp_NotDestination;
                else if (state_.rop2 == U_R2_MASKPEN)
                    mode = QPainter::RasterOp_SourceAndDestination;
                else if (state_.rop2 == U_R2_MERGEPEN)
                    mode = QPainter::RasterOp_SourceOrDestination;
            }
            painter_.setCompositionMode(mode);
        }
    }
    if (brushDirty_ || fillSet_ != fill) {
        painter_.setBrush(fill ? makeBrush(state_.brush, xform_ * initial_) : QBrush(Qt::NoBrush));
        painter_.setBackgroundMode(state_.bkMode == U_OPAQUE ? Qt::OpaqueMode
                                                             : Qt::TransparentMode);
        painter_.setBackground(state_.bkColor);
        brushDirty_ = false;
        fillSet_ = fill;
    }
    return !(state_.rop2 == U_R2_NOP);
}

bool GdiContext::sane(const QRectF& logicalBounds) {
    const QTransform& t = logicalToTarget();
    if (!xformUsable_)
        return false;
    const QRectF r = t.mapRect(logicalBounds);
    return std::abs(r.left()) < kMaxCoordinate && std::abs(r.right()) < kMaxCoordinate &&
           std::abs(r.top()) < kMaxCoordinate && std::abs(r.bottom()) < kMaxCoordinate;
}

// ---- clipping -------------------------------------------------------------------------------

void GdiContext::combineClip(const QPainterPath& target, int mode) {
    if (gdi_clip::combine(state_.clip, target, mode, clipBudget_))
        clipDirty_ = true;
}

void GdiContext::intersectClipRect(const QRectF& logical) {
    const QTransform& t = logicalToTarget();
    if (xformUsable_)
        combineClip(t.map(rectPath(logical)), U_RGN_AND);
}

void GdiContext::excludeClipRect(const QRectF& logical) {
    const QTransform& t = logicalToTarget();
    if (xformUsable_)
        combineClip(t.map(rectPath(logical)), U_RGN_DIFF);
}

void GdiContext::offsetClip(QPointF logicalOffset) {
    const QTransform& t = logicalToTarget();
    if (!xformUsable_ || !state_.clip)
        return;
    const QPointF d = t.map(logicalOffset) - t.map(QPointF(0, 0));
    state_.clip->translate(d);
    clipDirty_ = true;
}

QPainterPath GdiContext::regionToTarget(const QPainterPath& region, bool logical) {
    return logical ? logicalToTarget().map(region) : deviceToTarget_.map(region);
}

void GdiContext::selectClipRegion(const std::optional<QPainterPath>& region, int mode,
                                  bool logical) {
    if (!region) {
        if (mode == U_RGN_COPY) {
            state_.clip.reset();
            clipDirty_ = true;
        }
        return;
    }
    if (logical && !(logicalToTarget(), xformUsable_))
        return;
    combineClip(regionToTarget(*region, logical), mode);
}

void GdiContext::fillTarget(const QPainterPath& target, const QBrush& brush) {
    applyClip();
    painter_.setTransform(initial_);
    painter_.fillPath(target, brush);
    painterXformDirty_ = true;
}

void GdiContext::fillRegion(const QPainterPath& region, const GdiBrush& brush, bool logical) {
    if (logical && !(logicalToTarget(), xformUsable_))
        return;
    const QPainterPath target = regionToTarget(region, logical);
    if (!target.boundingRect().intersects(
            QRectF(-kMaxCoordinate, -kMaxCoordinate, 2 * kMaxCoordinate, 2 * kMaxCoordinate)))
        return;
    fillTarget(target, makeBrush(brush, initial_));
}

void GdiContext::frameRegion(const QPainterPath& region, const GdiBrush& brush, QSizeF stroke,
                             bool logical) {
    const QTransform& t = logicalToTarget();
    if (!xformUsable_)
        return;
    const QPainterPath target = regionToTarget(region, logical);
    const double width = qMax(1.0, std::abs(stroke.width()) * unitLength(t, QPointF(1, 0)));
    applyClip();
    painter_.setTransform(initial_);
    QPen pen(makeBrush(brush, initial_), width);
    painter_.strokePath(target.simplified(), pen);
    painterXformDirty_ = true;
}

void GdiContext::paintRegion(const QPainterPath& region, bool logical) {
    fillRegion(region, state_.brush, logical);
}

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
