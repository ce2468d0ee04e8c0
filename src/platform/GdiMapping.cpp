#include "platform/GdiMapping.h"

#include <cmath>

#include <uemf.h>

namespace {

// Millimetres per logical unit of the fixed map modes; 0 for the modes without a fixed unit.
double unitMillimetres(int mode) {
    switch (mode) {
    case U_MM_LOMETRIC:
        return 0.1;
    case U_MM_HIMETRIC:
        return 0.01;
    case U_MM_LOENGLISH:
        return 0.254;
    case U_MM_HIENGLISH:
        return 0.0254;
    case U_MM_TWIPS:
        return 25.4 / 1440;
    case U_MM_ISOTROPIC:
        return 0.1;
    default:
        return 0;
    }
}

} // namespace

bool GdiMapping::setMapMode(int mode, QSizeF devicePixelsPerMm) {
    if (mode < U_MM_TEXT || mode > U_MM_ANISOTROPIC)
        return false;
    const int old = mapMode_;
    mapMode_ = mode;
    if (mode == U_MM_TEXT) {
        windowExt_ = QSizeF(1, 1);
        viewportExt_ = QSizeF(1, 1);
    }
    // Isotropic starts from metric tenths; anisotropic keeps the extents it finds. A file that
    // switches between the two keeps its window and viewport.
    const double unitMm = unitMillimetres(mode);
    if (unitMm > 0 && !(mode == U_MM_ISOTROPIC && old == U_MM_ANISOTROPIC)) {
        windowExt_ = QSizeF(1, 1);
        viewportExt_ =
            QSizeF(devicePixelsPerMm.width() * unitMm, -devicePixelsPerMm.height() * unitMm);
    }
    return true;
}

bool GdiMapping::extentsAdjustable() const {
    return mapMode_ == U_MM_ISOTROPIC || mapMode_ == U_MM_ANISOTROPIC;
}

bool GdiMapping::setWindowExt(QSizeF s) {
    if (!extentsAdjustable() || s.width() == 0 || s.height() == 0)
        return false;
    windowExt_ = s;
    return true;
}

bool GdiMapping::setViewportExt(QSizeF s) {
    if (!extentsAdjustable() || s.width() == 0 || s.height() == 0)
        return false;
    viewportExt_ = s;
    return true;
}

bool GdiMapping::scaleWindowExt(double xNum, double xDenom, double yNum, double yDenom) {
    if (xDenom == 0 || yDenom == 0)
        return false;
    return setWindowExt(
        QSizeF(windowExt_.width() * xNum / xDenom, windowExt_.height() * yNum / yDenom));
}

bool GdiMapping::scaleViewportExt(double xNum, double xDenom, double yNum, double yDenom) {
    if (xDenom == 0 || yDenom == 0)
        return false;
    return setViewportExt(
        QSizeF(viewportExt_.width() * xNum / xDenom, viewportExt_.height() * yNum / yDenom));
}

QTransform GdiMapping::pageTransform() const {
    double sx = viewportExt_.width() / windowExt_.width();
    double sy = viewportExt_.height() / windowExt_.height();
    if (mapMode_ == U_MM_ISOTROPIC) {
        const double m = qMin(std::abs(sx), std::abs(sy));
        sx = std::copysign(m, sx);
        sy = std::copysign(m, sy);
    }
    return QTransform(sx, 0, 0, sy, viewportOrg_.x() - windowOrg_.x() * sx,
                      viewportOrg_.y() - windowOrg_.y() * sy);
}
