#pragma once
// A raster picture (a decoded JPEG) held where the picture registry hands out figures: drawn
// stretched into the target, sized as the screen would show it (pixels at 96 per inch).

#include <QImage>
#include <QString>

#include "pages/VectorFigure.h"

class RasterFigure : public VectorFigure {
public:
    explicit RasterFigure(QImage image) : image_(std::move(image)) {}

    // Decodes a JPEG file; throws JpegError ("JPEG エラー #%d") or std::runtime_error for a file
    // that cannot be read.
    static RasterFigure loadJpeg(const QString& path);

    void draw(QPainter& painter, const QRect& target) const override;
    QSize sizeHundredthsMm() const override;

    const QImage& image() const { return image_; }

private:
    QImage image_;
};
