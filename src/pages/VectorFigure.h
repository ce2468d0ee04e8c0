#pragma once
// A vector picture that a page can hold and replay at any scale (the metafile figures).

#include <QRect>
#include <QSize>

class QPainter;

class VectorFigure {
public:
    virtual ~VectorFigure() = default;

    // Plays the picture so that its frame fills target (device coordinates of painter).
    virtual void draw(QPainter& painter, const QRect& target) const = 0;

    // The picture's physical size in hundredths of a millimetre, from its header.
    virtual QSize sizeHundredthsMm() const = 0;
};
