#include "document/FigureSource.h"

#include <algorithm>
#include <cmath>

#include "document/FigurePathResolver.h"
#include "pages/EncodedImage.h"
#include "pages/MetafileEx.h"
#include "platform/BmpReader.h"
#include "platform/Cp932.h"
#include "platform/Rounding.h"

namespace {

// Sizes in dots: never negative, and within what a page coordinate can hold.
std::int32_t nearest(double value) {
    return static_cast<std::int32_t>(std::nearbyint(std::clamp(value, 0.0, 1e9)));
}

// num / den (den > 0) rounded to nearest, halves to even, as a size in dots. In integers:
// products such as 381 / 2540 × 150 (22.5) land on either side of the half in floating point.
std::int32_t nearestRatio(std::int64_t num, std::int64_t den) {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(rounding::halfEven(num, den), 0, 1'000'000'000));
}

// pixels / sourceDpi × dpi; exact when the source resolution is a whole number (96 nearly
// always).
std::int32_t bitmapDots(int pixels, double sourceDpi, std::int32_t dpi) {
    if (sourceDpi >= 1 && sourceDpi <= 1e6 && sourceDpi == std::floor(sourceDpi))
        return nearestRatio(std::int64_t(pixels) * dpi, std::int64_t(sourceDpi));
    return nearest(pixels / sourceDpi * dpi);
}

} // namespace

QString resolveFigurePath(QByteArrayView nameLine, FigureFormat format, const QString& figureFolder,
                          const FigurePathResolver& resolver) {
    if (nameLine.isEmpty())
        return QString();
    const QString name = cp932::decode(nameLine);
    const QString found = resolver.resolve(name);
    if (found.isEmpty() && format == FigureFormat::Bitmap && !figureFolder.isEmpty())
        return resolver.resolve(figureFolder + name);
    return found;
}

LoadedFigure loadFigure(const QString& path, FigureFormat format, std::int32_t dpiX,
                        std::int32_t dpiY, std::shared_ptr<const EncodedImage> image) {
    LoadedFigure loaded;
    loaded.format = format;
    switch (format) {
    case FigureFormat::Metafile: {
        auto metafile = std::make_shared<const TMetafileEx>(TMetafileEx::load(path));
        const QSize mm = metafile->sizeHundredthsMm();
        // Hundredths of a millimetre: mm × 0.01 / 25.4 × dpi = mm × dpi / 2540.
        loaded.width = nearestRatio(std::int64_t(mm.width()) * dpiX, 2540);
        loaded.height = nearestRatio(std::int64_t(mm.height()) * dpiY, 2540);
        loaded.figure = std::move(metafile);
        break;
    }
    case FigureFormat::Bitmap: {
        // The page keeps the file's bytes, decoded again when it is played.
        loaded.image =
            image ? std::move(image) : EncodedImage::load(path, EncodedImage::Format::Bitmap);
        loaded.sourceDpiX = bmp_reader::screenLogicalDpiX();
        loaded.sourceDpiY = bmp_reader::screenLogicalDpiY();
        loaded.width = bitmapDots(loaded.image->pixelSize().width(), loaded.sourceDpiX, dpiX);
        loaded.height = bitmapDots(loaded.image->pixelSize().height(), loaded.sourceDpiY, dpiY);
        break;
    }
    case FigureFormat::Jpeg: {
        loaded.image =
            image ? std::move(image) : EncodedImage::load(path, EncodedImage::Format::Jpeg);
        loaded.width = loaded.image->pixelSize().width();
        loaded.height = loaded.image->pixelSize().height();
        break;
    }
    }
    return loaded;
}
