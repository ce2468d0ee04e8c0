#include "document/FigurePlacement.h"

#include <cmath>

#include "document/Tags.h"
#include "platform/Rounding.h"

namespace {

// (left, right) centred on x: 2 × (width div 2) dots, one less than an odd width.
QRect centredOn(std::int32_t x, std::int32_t top, std::int32_t width, std::int32_t height) {
    const std::int32_t half = width / 2;
    return QRect(x - half, top, 2 * half, height);
}

} // namespace

std::int32_t quarterFrameShift(std::int32_t frameWidth, double factor) {
    // In integers: 110 × 0.55 is 60.5, but 60.50000000000001 in doubles.
    const std::int64_t hundredths = std::llround(factor * 100);
    return std::int32_t(rounding::halfEven(std::int64_t(frameWidth / 4) * hundredths, 100));
}

bool figureFileVariantOf(QByteArrayView tag, FigureFileVariant& variant) {
    struct Entry {
        QByteArrayView tag;
        FigureFileVariant variant;
    };
    static constexpr Entry entries[] = {
        {tags::EmfFile, FigureFileVariant::Emf},   {tags::EmfFile0, FigureFileVariant::Emf0},
        {tags::EmfFileC, FigureFileVariant::EmfC}, {tags::EmfFileR, FigureFileVariant::EmfR},
        {tags::EmfFileS, FigureFileVariant::EmfS}, {tags::EmfFileL, FigureFileVariant::EmfL},
        {tags::BmpFile, FigureFileVariant::Bmp},   {tags::BmpFileC, FigureFileVariant::BmpC},
        {tags::BmpFileR, FigureFileVariant::BmpR}, {tags::BmpFileL, FigureFileVariant::BmpL},
        {tags::JpgFile, FigureFileVariant::Jpg},
    };
    for (const Entry& e : entries) {
        if (tag == e.tag) {
            variant = e.variant;
            return true;
        }
    }
    return false;
}

FigureFormat formatOf(FigureFileVariant variant) {
    switch (variant) {
    case FigureFileVariant::Bmp:
    case FigureFileVariant::BmpC:
    case FigureFileVariant::BmpR:
    case FigureFileVariant::BmpL:
        return FigureFormat::Bitmap;
    case FigureFileVariant::Jpg:
        return FigureFormat::Jpeg;
    default:
        return FigureFormat::Metafile;
    }
}

bool advancesAfterDrawing(FigureFileVariant variant) {
    return variant == FigureFileVariant::Emf || variant == FigureFileVariant::Emf0 ||
           variant == FigureFileVariant::Bmp || variant == FigureFileVariant::Jpg;
}

QRect figureFileRect(FigureFileVariant variant, QPoint anchor, std::int32_t width,
                     std::int32_t height, std::int32_t frameWidth) {
    const std::int32_t x = anchor.x();
    const std::int32_t y = anchor.y();
    const std::int32_t frameLeft = x - frameWidth / 2;
    const std::int32_t frameRight = x + frameWidth / 2;
    switch (variant) {
    case FigureFileVariant::EmfR:
        return centredOn(x + quarterFrameShift(frameWidth, 1.0), y, width, height);
    case FigureFileVariant::EmfS:
        return centredOn(x + quarterFrameShift(frameWidth, 0.55), y, width, height);
    case FigureFileVariant::EmfL:
    case FigureFileVariant::BmpL:
        return QRect(frameLeft, y, width, height);
    case FigureFileVariant::BmpR:
        return QRect(frameRight - width, y, width, height);
    case FigureFileVariant::Jpg:
        // Drawn unscaled: the whole image from its top-left corner.
        return QRect(x - width / 2, y, width, height);
    default:
        return centredOn(x, y, width, height);
    }
}

double placementFactorOf(QByteArrayView tag) {
    if (tag == tags::FigurePlaceR || tag == tags::FigurePlaceRMFai ||
        tag == tags::FigurePlaceRMFai2)
        return 1.0;
    if (tag == tags::FigurePlaceL)
        return -1.0;
    if (tag == tags::FigurePlaceS)
        return 0.55;
    return 0.0;
}
