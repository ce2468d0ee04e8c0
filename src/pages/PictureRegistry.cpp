#include "pages/PictureRegistry.h"

#include "pages/MetafileEx.h"
#include "pages/RasterFigure.h"

#include <QFileInfo>

namespace picture_registry {
namespace {

struct Format {
    const char* extension;
    const char* description;
    std::unique_ptr<VectorFigure> (*load)(const QString& path);
};

std::unique_ptr<VectorFigure> loadMetafile(const QString& path) {
    return std::make_unique<TMetafileEx>(TMetafileEx::load(path));
}

std::unique_ptr<VectorFigure> loadJpeg(const QString& path) {
    return std::make_unique<RasterFigure>(RasterFigure::loadJpeg(path));
}

// One row per extension; add image formats here.
const Format kFormats[] = {
    {"wmf", "Windows Metafile", loadMetafile},
    {"emf", "Enhanced Metafile", loadMetafile},
    {"jpg", "JPEG Image File", loadJpeg},
    {"jpeg", "JPEG Image File", loadJpeg},
};

const Format* find(const QString& extension) {
    const QString lower = extension.toLower();
    for (const Format& f : kFormats)
        if (lower == QLatin1String(f.extension))
            return &f;
    return nullptr;
}

} // namespace

std::unique_ptr<VectorFigure> load(const QString& path) {
    const Format* f = find(QFileInfo(path).suffix());
    return f ? f->load(path) : nullptr;
}

QString description(const QString& extension) {
    const Format* f = find(extension);
    return f ? QString::fromLatin1(f->description) : QString();
}

QStringList extensions() {
    QStringList out;
    for (const Format& f : kFormats)
        out << QString::fromLatin1(f.extension);
    return out;
}

} // namespace picture_registry
