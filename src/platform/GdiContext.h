#pragma once
// The GDI state machine shared by the EMF and WMF players: it keeps the device context's state,
// turns logical coordinates into the target's through map mode, window, viewport and world
// transform, and draws each primitive onto a QPainter. Text is drawn as text.

#include "platform/GdiClip.h"
#include "platform/GdiState.h"

#include <QPainter>
#include <QPolygonF>

#include <span>
#include <vector>

class QFontMetricsF;

class GdiContext {
public:
    // deviceToTarget maps the metafile's device units onto the painter's coordinates;
    // devicePixelsPerMm gives the fixed map modes their size.
    GdiContext(QPainter& painter, const QTransform& deviceToTarget, QSizeF devicePixelsPerMm,
               quint32 objectCapacity);
    ~GdiContext();
    GdiContext(const GdiContext&) = delete;
    GdiContext& operator=(const GdiContext&) = delete;

    GdiState& state() { return state_; }
    GdiObjectTable& objects() { return objects_; }

    // Coordinate spaces.
    void setMapMode(int mode);
    void setWindowOrg(QPointF p);
    void setWindowExt(QSizeF s);
    void setViewportOrg(QPointF p);
    void setViewportExt(QSizeF s);
    void offsetWindowOrg(QPointF d);
    void offsetViewportOrg(QPointF d);
    void scaleWindowExt(double xNum, double xDenom, double yNum, double yDenom);
    void scaleViewportExt(double xNum, double xDenom, double yNum, double yDenom);
    void setWorldTransform(const QTransform& t);
    void modifyWorldTransform(const QTransform& t, quint32 mode);
    void saveDC();
    void restoreDC(int which);

    // Objects.
    void select(const GdiObject& object);
    void selectStock(quint32 id);
    void setPen(const GdiPen& pen);
    void setBrush(const GdiBrush& brush);
    void setFont(const GdiFont& font);
    void setTextColor(QColor c) { state_.textColor = c; }
    void setBkColor(QColor c);
    void setBkMode(int mode);
    void setRop2(int rop2);
    void stateChanged() { penDirty_ = brushDirty_ = true; }

    // Lines and shapes, logical units.
    void moveTo(QPointF p);
    void lineTo(QPointF p);
    void polyline(std::span<const QPointF> points);
    void polylineTo(std::span<const QPointF> points);
    void polyBezier(std::span<const QPointF> points);
    void polyBezierTo(std::span<const QPointF> points);
    void polyDraw(std::span<const QPointF> points, std::span<const quint8> types);
    void polygon(std::span<const QPointF> points);
    void polyPolygon(std::span<const QPointF> points, std::span<const quint32> counts);
    void polyPolyline(std::span<const QPointF> points, std::span<const quint32> counts);
    void rectangle(const QRectF& box);
    void roundRect(const QRectF& box, QSizeF corner);
    void ellipse(const QRectF& box);
    enum class ArcKind { Arc, ArcTo, Pie, Chord };
    void arc(ArcKind kind, const QRectF& box, QPointF start, QPointF end);
    void angleArc(QPointF center, double radius, double startDeg, double sweepDeg);
    void setPixel(QPointF p, QColor color);

    // Paths.
    void beginPath();
    void endPath();
    void abortPath();
    void closeFigure();
    void strokePath();
    void fillPath();
    void strokeAndFillPath();
    void selectClipPath(int mode);

    // Clipping.
    void intersectClipRect(const QRectF& logical);
    void excludeClipRect(const QRectF& logical);
    void offsetClip(QPointF logicalOffset);
    // A region in device units (EMF) or, with logical = true, logical units (WMF).
    // An empty optional with RGN_COPY removes the clip.
    void selectClipRegion(const std::optional<QPainterPath>& region, int mode, bool logical);
    void fillRegion(const QPainterPath& region, const GdiBrush& brush, bool logical);
    void frameRegion(const QPainterPath& region, const GdiBrush& brush, QSizeF stroke,
                     bool logical);
    void paintRegion(const QPainterPath& region, bool logical);

    // Raster operations: rectangles in logical units.
    void patBlt(const QRectF& dest, quint32 rop);
    void drawImage(const QRectF& dest, const QImage& image, const QRectF& source, quint32 rop,
                   int constantAlpha = 255);

    // Text: characters with their advances (logical units) or none to use the font's own;
    // options are ETO_* flags, box the clipping or opaquing rectangle.
    struct TextRun {
        std::vector<QString> characters;
        std::vector<double> advances; // empty, or one per character
        quint32 options = 0;
        std::optional<QRectF> box;
    };
    void textOut(QPointF reference, const TextRun& run);

private:
    void updateTransform();
    void transformChanged();
    const QTransform& logicalToTarget();
    bool prepare(bool stroke, bool fill);
    bool sane(const QRectF& logicalBounds);
    QPen makePen();
    QBrush makeBrush(const GdiBrush& brush, const QTransform& painterTransform);
    void applyClip();
    void combineClip(const QPainterPath& target, int mode);
    void drawPath(const QPainterPath& logicalPath, bool stroke, bool fill);
    void strokeAndFill(bool stroke, bool fill);
    void addToPath(const QPainterPath& logicalPath, bool connect);
    QPainterPath arcPath(ArcKind kind, const QRectF& box, QPointF start, QPointF end,
                         QPointF* arcEnd);
    QPainterPath regionToTarget(const QPainterPath& region, bool logical);
    void fillTarget(const QPainterPath& target, const QBrush& brush);
    // Text: the font at its size, the run laid out and aligned in the font's pixels, drawing.
    struct TextFont {
        QFont font;
        int size = 1;     // the integral pixel size the glyphs are laid out at
        double scale = 1; // from that size to the exact height
    };
    struct TextLine {
        QString whole;                // the characters joined
        std::vector<double> advances; // font pixels; empty: the font's own
        double total = 0;             // width in font pixels
        QPointF start;                // the first character's baseline from the reference
    };
    QFont makeFont(double pixelSize) const;
    std::optional<TextFont> textFont(double ux, double uy) const;
    std::optional<TextLine> textLine(const TextRun& run, double ux, const TextFont& face,
                                     const QFontMetricsF& fm) const;
    void drawTextLine(const TextRun& run, const TextFont& face, const TextLine& line,
                      const QFontMetricsF& fm, QPointF origin);
    bool applyRasterOp(quint32 rop);

    QPainter& painter_;
    QTransform initial_;                     // the painter's transform when playing began
    std::optional<QPainterPath> callerClip_; // the painter's clip when playing began
    QTransform deviceToTarget_;              // metafile device units to painter coordinates
    QSizeF pixelsPerMm_;
    GdiState state_;
    std::vector<GdiState> saved_;
    GdiObjectTable objects_;

    QTransform xform_; // logical to painter coordinates (before initial_)
    bool xformValid_ = false;
    bool xformUsable_ = true;
    bool painterXformDirty_ = true;
    bool penDirty_ = true;
    bool brushDirty_ = true;
    bool clipDirty_ = true;
    bool strokeSet_ = false; // the painter holds the GDI pen (not NoPen)
    bool fillSet_ = false;   // the painter holds the GDI brush (not NoBrush)
    bool pathNeedsMove_ = true;

    gdi_clip::Budget clipBudget_; // path boolean work on clip regions
    bool inPath_ = false;
    QPainterPath path_; // target coordinates
};
