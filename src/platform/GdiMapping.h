#pragma once
// The page space of a device context: map mode, window and viewport, and the transform from
// logical units to the metafile's device units that they make. A plain value: SaveDC copies
// it, and it is tested without a painter.

#include <QPointF>
#include <QSizeF>
#include <QTransform>

class GdiMapping {
public:
    int mapMode() const { return mapMode_; }
    QPointF windowOrg() const { return windowOrg_; }
    QSizeF windowExt() const { return windowExt_; }
    QPointF viewportOrg() const { return viewportOrg_; }
    QSizeF viewportExt() const { return viewportExt_; }

    // MM_TEXT (1) … MM_ANISOTROPIC (8); devicePixelsPerMm sizes the metric and English units.
    // Any other mode is refused (false) and the one in force stays.
    bool setMapMode(int mode, QSizeF devicePixelsPerMm);
    void setWindowOrg(QPointF p) { windowOrg_ = p; }
    void setViewportOrg(QPointF p) { viewportOrg_ = p; }
    // Extents change only under MM_ISOTROPIC and MM_ANISOTROPIC and never to a zero width or
    // height; false when refused.
    bool setWindowExt(QSizeF s);
    bool setViewportExt(QSizeF s);
    // The extents multiplied by num / denom per axis; false when refused (a zero denominator
    // included).
    bool scaleWindowExt(double xNum, double xDenom, double yNum, double yDenom);
    bool scaleViewportExt(double xNum, double xDenom, double yNum, double yDenom);

    // Logical units to device units; MM_ISOTROPIC keeps both axes at the smaller scale.
    QTransform pageTransform() const;

private:
    bool extentsAdjustable() const;

    int mapMode_ = 1; // MM_TEXT
    QPointF windowOrg_;
    QSizeF windowExt_{1, 1};
    QPointF viewportOrg_;
    QSizeF viewportExt_{1, 1};
};
