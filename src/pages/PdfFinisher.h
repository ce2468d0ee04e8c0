#pragma once
// The last step of every PDF this program writes, the PDF file and the print job alike. Qt's
// PDF engine writes the pages; qpdf's library then reads those bytes from memory, adds what
// the engine cannot write and writes the file:
// - a figure bitmap drawn with smoothing carries the interpolation flag, so that the viewer or
//   the printer's raster processor smooths it at its own resolution (the engine never writes
//   the flag);
// - a JPEG figure gets back the file's own JPEG data in place of the engine's second encoding
//   of the same picture;
// - the outline becomes the bookmarks, opened beside the pages, and the document information
//   names the report and this program.

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>
#include <memory>
#include <set>

#include "pages/EncodedImage.h"
#include "pages/PageOutline.h"

class QIODevice;
class QPDF;
class QPDFObjGen;
class QPDFObjectHandle;
class TPrintPreview;

// A figure file's image as a vector device receives it: at its own pixel size, scaled by the
// page's transform.
struct PdfFigure {
    QSize pixels;
    bool interpolate = false;                 // the layout asked for smoothing
    std::shared_ptr<const EncodedImage> jpeg; // a JPEG figure's file; null for a bitmap
};

class PdfFinisher {
public:
    // The figure images placed on pages (numbered from 1) of store, each once.
    static QList<PdfFigure> figuresOf(const TPrintPreview& store, const QList<int>& pages);

    void setFigures(QList<PdfFigure> figures) { figures_ = std::move(figures); }
    // Bookmarks: level 1 entries at the top, level 2 under the level 1 entry before them.
    void setOutline(PageOutline outline) { outline_ = std::move(outline); }
    // The document information's title (none when empty); creator and producer name this
    // program.
    void setTitle(const QString& title) { title_ = title; }

    // Reads pdf (as Qt's engine wrote it), edits it and writes the finished file to out. Streams
    // other than the edited ones are copied as they are. Throws std::runtime_error when qpdf
    // cannot read or write the file.
    void finish(const QByteArray& pdf, QIODevice& out) const;
    // The same for a document the engine wrote in slices (EnginePages): the pages of every
    // slice, in order, make one file.
    void finish(const QList<QByteArray>& slices, QIODevice& out) const;

    // Labels and titles longer than this many characters are cut, "…" marking the cut.
    static constexpr int MaxLabelLength = 300;
    static QString shortLabel(const QString& label);
    // "Folioscope" and the version.
    static QString programName();

private:
    // Returns the copies, which no page refers to any more.
    static std::set<QPDFObjGen> mergeRepeatedImages(QPDF& doc);
    void finishImages(QPDF& doc) const;
    // Whether figure's file data took the place of image's.
    static bool passJpeg(QPDFObjectHandle& image, const PdfFigure& figure);
    void addBookmarks(QPDF& doc) const;
    void setInformation(QPDF& doc) const;

    QList<PdfFigure> figures_;
    PageOutline outline_;
    QString title_;
};
