#pragma once
// The metafile picture of the pages: a loaded EMF or placeable WMF that a page holds as a
// vector figure. Drawing lifts the painter's clip for the time of playing, so the whole
// picture appears even where the caller clips, and puts the clip back afterwards.

#include "pages/VectorFigure.h"
#include "platform/Metafile.h"

#include <QString>

class TMetafileEx : public VectorFigure {
public:
    explicit TMetafileEx(Metafile metafile) : metafile_(std::move(metafile)) {}

    // Throws MetafileError ("メタファイルが不正です") for a file that is not a sound metafile.
    static TMetafileEx load(const QString& path) { return TMetafileEx(Metafile::fromFile(path)); }

    void draw(QPainter& painter, const QRect& target) const override;
    QSize sizeHundredthsMm() const override { return metafile_.sizeHundredthsMm(); }

    const Metafile& metafile() const { return metafile_; }

private:
    Metafile metafile_;
};
