#pragma once
// The drawing state of one device context: what SaveDC saves and RestoreDC brings back.

#include "platform/GdiMapping.h"
#include "platform/GdiObjects.h"

#include <QPointF>
#include <QSizeF>
#include <QTransform>

struct GdiState {
    GdiPen pen;
    GdiBrush brush;
    GdiFont font;
    QColor textColor = Qt::black;
    QColor bkColor = Qt::white;
    int bkMode = 2;         // OPAQUE
    quint32 textAlign = 0;  // TA_TOP | TA_LEFT | TA_NOUPDATECP
    int fillMode = 1;       // ALTERNATE
    bool clockwise = false; // arc direction
    int rop2 = 13;          // R2_COPYPEN
    GdiMapping mapping;
    QTransform world;
    QPointF position; // current position, logical units
    // Clip region in target coordinates; none means no clipping.
    std::optional<QPainterPath> clip;
};
