#pragma once
// Bounds and small helpers of geometry shared by the parts of the GDI context.

#include <QLineF>
#include <QTransform>

// Primitives reaching further than this from the target's origin (painter units) are dropped:
// they come from broken transforms and would stall the rasteriser.
inline constexpr double kMaxCoordinate = 1e7;

// How long one unit along direction becomes under t.
inline double unitLength(const QTransform& t, QPointF direction) {
    return QLineF(t.map(QPointF(0, 0)), t.map(direction)).length();
}
