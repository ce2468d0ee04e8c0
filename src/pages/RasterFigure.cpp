#include "pages/RasterFigure.h"

#include <QPainter>
#include <cmath>

#include "platform/JpegReader.h"

RasterFigure RasterFigure::loadJpeg(const QString& path) {
    return RasterFigure(jpeg_reader::readFile(path));
}

void RasterFigure::draw(QPainter& painter, const QRect& target) const {
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(target, image_);
    painter.restore();
}

QSize RasterFigure::sizeHundredthsMm() const {
    // 96 pixels per inch, 2540 hundredths of a millimetre per inch.
    return QSize(int(std::lround(image_.width() * 2540.0 / 96)),
                 int(std::lround(image_.height() * 2540.0 / 96)));
}
