#pragma once
// Where a figure-file tag puts its figure and whether the text goes on below it, and the
// horizontal placement factor of the figure-block tags. Pure geometry on printer dots.

#include <QByteArrayView>
#include <QPoint>
#include <QRect>
#include <cstdint>

// The eleven figure-file tags.
enum class FigureFileVariant {
    Emf,  // "<emfファイル>": centred, advances
    Emf0, // "<emfファイル0>": fitted to the room left, centred, advances
    EmfC, // centred over the text that follows
    EmfR, // centred a quarter frame width right of the anchor
    EmfS, // centred 0.55 of a quarter frame width right of the anchor
    EmfL, // against the frame's left side
    Bmp,  // "<bmpファイル>": centred, advances
    BmpC, // centred over the text that follows
    BmpR, // against the frame's right side
    BmpL, // against the frame's left side
    Jpg,  // "<jpgファイル>": unscaled, centred, advances
};

enum class FigureFormat { Metafile, Bitmap, Jpeg };

// The variant of a figure-file tag line; false when the line is none of the eleven tags.
bool figureFileVariantOf(QByteArrayView tag, FigureFileVariant& variant);
FigureFormat formatOf(FigureFileVariant variant);
// Whether the used height grows by the figure's height after drawing.
bool advancesAfterDrawing(FigureFileVariant variant);

// The rectangle of a figure of width × height dots drawn at anchor (its x the frame's centre
// line, its y the top of the figure). A centred rectangle spans 2 × (width div 2) dots.
QRect figureFileRect(FigureFileVariant variant, QPoint anchor, std::int32_t width,
                     std::int32_t height, std::int32_t frameWidth);

// Nearest((frameWidth div 4) × factor), halves to even, for the placement factors (whole
// hundredths: 1.0, -1.0, 0.55, 0.0): how far right of the frame's centre line a placed figure
// is centred.
std::int32_t quarterFrameShift(std::int32_t frameWidth, double factor);

// The horizontal placement factor of a figure-block tag: 1.0 right, -1.0 left, 0.55 slightly
// right, 0.0 for the tags that insert the figure in the text flow.
double placementFactorOf(QByteArrayView tag);
