#pragma once
// Finding and loading the file that a figure-file tag names, and its size in printer dots.

#include <QByteArrayView>
#include <QImage>
#include <QString>
#include <cstdint>
#include <memory>

#include "document/FigurePlacement.h"

class EncodedImage;
class FigurePathResolver;
class VectorFigure;

// The path of the figure file named by a name line (code page 932 bytes, taken whole, looked
// up by resolver: Windows names, the report's folder first, then the working directory), or an
// empty string when there is nothing to draw: the name is empty, or no regular file of that name
// exists (a directory, FIFO or device is never opened, so a layout cannot block on one). For
// bitmaps figureFolder is put in front of the name when the name alone finds nothing.
QString resolveFigurePath(QByteArrayView nameLine, FigureFormat format, const QString& figureFolder,
                          const FigurePathResolver& resolver);

// A loaded figure file. Exactly one of figure, bitmap and jpeg is set, after the format.
struct LoadedFigure {
    FigureFormat format = FigureFormat::Metafile;
    std::shared_ptr<const VectorFigure> figure;
    std::shared_ptr<const EncodedImage> image; // bitmap or JPEG file bytes, checked
    double sourceDpiX = 96.0;                  // bitmap only
    double sourceDpiY = 96.0;
    std::int32_t width = 0; // dots
    std::int32_t height = 0;
};

// Loads the file in the given format and computes its size at dpiX × dpiY: a metafile from
// its size in hundredths of a millimetre, a bitmap from its pixels at its source resolution,
// a JPEG at one image pixel per printer dot. The loaders' errors (bad bitmap, bad metafile,
// JPEG error, unreadable file) travel to the caller. A bitmap or JPEG figure already loaded
// from path (decoded ahead of the layout) is given as image; the file is not read again.
LoadedFigure loadFigure(const QString& path, FigureFormat format, std::int32_t dpiX,
                        std::int32_t dpiY, std::shared_ptr<const EncodedImage> image = nullptr);
