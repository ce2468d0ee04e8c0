#pragma once
// The drawing records of one page: plain data in printer dots, origin at the paper's top-left
// corner. Text keeps its code page 932 bytes; it is decoded only when a page is played.

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRgb>
#include <QString>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include "pages/EncodedImage.h"
#include "pages/VectorFigure.h"

enum class PenStyle : std::uint8_t { Solid, Dot };

struct PenSpec {
    int width = 1;
    PenStyle style = PenStyle::Solid;
    QRgb color = qRgb(0, 0, 0);
    bool operator==(const PenSpec&) const = default;
};

// A face at a pixel size; pages keep a small table of them and text records refer to it.
struct FontSpec {
    QString face;
    int pixelSize = 0;
    bool operator==(const FontSpec&) const = default;
};

// Text whose cell's top-left corner is at topLeft. Every byte takes one cell of cellWidth
// dots (a double-byte character two), so columns line up whatever the glyphs' own advances.
// The box (cell width x font height) is painted in background first when there is one.
struct TextRecord {
    QPoint topLeft;
    QByteArray bytes;
    int fontIndex = 0;
    int cellWidth = 0;
    int extraSpacing = 0; // added after every character
    QSize box;
    QRgb color = qRgb(0, 0, 0);
    std::optional<QRgb> background;
};

struct LineRecord {
    QPoint from;
    QPoint to;
    PenSpec pen;
};

struct PolylineRecord {
    std::vector<QPoint> points;
    PenSpec pen;
};

// Outline with the pen, inside filled with the brush when there is one.
struct RectangleRecord {
    QRect rect;
    PenSpec pen;
    std::optional<QRgb> fill;
};

struct FillRecord {
    QRect rect;
    QRgb color = qRgb(255, 255, 255);
};

// A raster image stretched into target: either decoded pixels held by the page (image), or
// a figure file's bytes (encoded) decoded when the page is played and, when resampleTo is
// not empty, smoothed to that size with SmoothResample first.
struct ImageRecord {
    QRect target;
    std::shared_ptr<const QImage> image;
    bool smooth = false;
    std::shared_ptr<const EncodedImage> encoded;
    QSize resampleTo;
};

// A vector picture played into target.
struct FigureRecord {
    QRect target;
    std::shared_ptr<const VectorFigure> figure;
};

using PageRecord = std::variant<TextRecord, LineRecord, PolylineRecord, RectangleRecord, FillRecord,
                                ImageRecord, FigureRecord>;
