#include "platform/GdiContext.h"

#include "platform/GdiGeometry.h"

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
