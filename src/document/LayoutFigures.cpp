// The layout's two figure constructs: figure files (metafile, bitmap, JPEG) drawn on the page,
// and figure blocks, whose text lines are drawn here and whose figure goes to the hooks.

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "document/DocumentErrors.h"
#include "document/FigureLine.h"
#include "document/FigurePlacement.h"
#include "document/FigurePrefetch.h"
#include "document/FigureSource.h"
#include "document/LayoutEngine.h"
#include "pages/PrintPreview.h"
#include "platform/Cp932.h"
#include "platform/ImageLimits.h"
#include "platform/Rounding.h"
#include "platform/SmoothResample.h"

using rounding::nearest;

QPoint LayoutEngine::FigureAnchor() const {
    // Page records are in paper coordinates, so the frame's centre line is the left margin
    // plus half the frame width, and a figure's top is the top of the next text line. The
    // printer's unprintable offsets are applied only when a page is played on the printer.
    return QPoint(state_.LeftMarginDots + state_.FrameWidth / 2,
                  state_.TextTopDots + state_.UsedHeight);
}

void LayoutEngine::resetCursorToUsedHeight() {
    Cursor = QRect(0, 0, state_.TextWidthDots, state_.TextHeightDots);
    Cursor.setTop(state_.UsedHeight);
}

void LayoutEngine::handleFigureFile() {
    const qsizetype tagLine = LineIndex;
    FigureFileVariant variant = FigureFileVariant::Emf;
    figureFileVariantOf((*lines_)[LineIndex], variant);
    // The name line is taken whatever it holds, even when it looks like a tag.
    const QByteArray& nameLine = lineAt(LineIndex + 1);
    LineIndex += 1;

    const FigureFormat format = formatOf(variant);
    const QString path = resolveFigurePath(nameLine, format, state_.FigureFolder, figurePaths_);
    if (path.isEmpty()) {
        // Nothing to draw, no space reserved; the host tells the user which names were not
        // found.
        if (!nameLine.isEmpty())
            state_.MissingFigures.append({cp932::decode(nameLine), LineIndex + 1});
        return;
    }
    // The loaded pictures are shared with the page that draws them and released with it;
    // on an error they are released here when `figure` goes out of scope.
    const LoadedFigure figure = loadFigureFile(tagLine, path, format);
    std::int32_t width = figure.width;
    std::int32_t height = figure.height;

    // Even an empty page is finished first, so a figure taller than the text area starts a
    // page of its own.
    if (std::int64_t(state_.UsedHeight) + height > state_.TextHeightDots) {
        finishPage();
        startNewPage();
    }
    if (variant == FigureFileVariant::Emf0 && width > 0 && height > 0 && !fitToRoom(width, height))
        return;
    // The resampler's precondition, checked here rather than when a page is played.
    if (format == FigureFormat::Bitmap && settings_.BitmapDrawType == 1 &&
        figure.image->pixelSize().isEmpty())
        throw FigureFileError(QString::fromUtf8(AssertionFailure().what()), path, LineIndex + 1);

    const QRect rect = figureFileRect(variant, FigureAnchor(), width, height, state_.FrameWidth);
    drawFigureFile(figure, rect, QSize(width, height));

    if (advancesAfterDrawing(variant)) {
        state_.UsedHeight += height;
        resetCursorToUsedHeight();
    }
}

LoadedFigure LayoutEngine::loadFigureFile(qsizetype tagLine, const QString& path,
                                          FigureFormat format) {
    // A loader's message alone does not say which of a report's figures is damaged.
    const qsizetype nameLineNumber = tagLine + 2;
    const TPrinterInfo& printer = state_.PrinterInfo;
    try {
        std::shared_ptr<const EncodedImage> ahead;
        if (prefetch_ && format != FigureFormat::Metafile)
            ahead = prefetch_->take(tagLine, path);
        LoadedFigure figure =
            loadFigure(path, format, printer.DpiX, printer.DpiY, std::move(ahead));
        // The resampler's precondition, checked here rather than when a page is played.
        if (format == FigureFormat::Bitmap && settings_.BitmapDrawType == 1 &&
            figure.image->pixelSize().isEmpty())
            throw AssertionFailure();
        return figure;
    } catch (const std::runtime_error& e) {
        throw FigureFileError(QString::fromUtf8(e.what()), path, nameLineNumber);
    }
}

bool LayoutEngine::fitToRoom(std::int32_t& width, std::int32_t& height) const {
    // Scaled, keeping its proportions, to the frame width or to the room left below the
    // current position less two font heights, whichever is tighter.
    const std::int64_t room = std::int64_t(state_.TextHeightDots) -
                              2 * std::abs(std::int64_t(state_.FontHeightDots)) - state_.UsedHeight;
    const std::int64_t frame = state_.FrameWidth;
    // With no room left (or no frame) the figure would get no size or a negative one: nothing
    // is drawn and the position stays.
    if (room <= 0 || frame <= 0)
        return false;
    // The factor is frame / width or room / height, whichever is smaller; the products are
    // formed as exact fractions, so a size of exactly half a dot rounds to even.
    if (frame * height <= room * width) {
        height = std::int32_t(rounding::halfEven(height * frame, width));
        width = std::int32_t(frame);
    } else {
        width = std::int32_t(rounding::halfEven(width * room, height));
        height = std::int32_t(room);
    }
    return true;
}

void LayoutEngine::drawFigureFile(const LoadedFigure& figure, const QRect& rect, QSize size) {
    if (rect.isEmpty())
        return;
    RecordingCanvas& canvas = store_.GetCanvas();
    switch (figure.format) {
    case FigureFormat::Metafile:
        canvas.drawFigure(rect, figure.figure);
        break;
    case FigureFormat::Bitmap:
        // The page keeps the file's bytes; the pixels are decoded (and smoothed) when the page
        // is played, through a bounded cache, instead of living with the page.
        if (settings_.BitmapDrawType != 1) {
            canvas.drawEncodedImage(rect, figure.image, {}, false);
        } else if (!image_limits::fitsInLimit(size.width(), size.height(), 3)) {
            // A large bitmap at printer resolution would need more memory than one image may
            // take: it is stretched with smoothing at replay instead of failing the layout.
            canvas.drawEncodedImage(rect, figure.image, {}, true);
        } else {
            // Smoothed to its size in dots when played; stretching it then changes at most a
            // dot.
            canvas.drawEncodedImage(rect, figure.image, size, false);
        }
        break;
    case FigureFormat::Jpeg:
        canvas.drawEncodedImage(rect, figure.image, {}, false);
        break;
    }
}

void LayoutEngine::handleFigureBlock() {
    const double placementFactor = placementFactorOf((*lines_)[LineIndex]);
    state_.LinePitch = pitchDots();
    state_.FigureTextHeight = 0;
    // A title held before the block is dropped. The figure text lines are kept apart: they
    // are a caption, not a title to repeat on later pages.
    HeldLines.clear();
    QByteArrayList figureText;

    FigureLine numbers; // the defaults, when the block runs to the end of the document
    LineIndex += 1;
    while (LineIndex < lines_->size()) {
        const QByteArray& line = (*lines_)[LineIndex];
        const FigureLine parsed = ParseFigureLine(line);
        if (parsed.IsFigureLine) {
            numbers = parsed;
            break;
        }
        figureText.append(line);
        state_.FigureTextHeight += state_.LinePitch;
        LineIndex += 1;
    }
    if (LineIndex >= lines_->size())
        LineIndex = lines_->size() - 1; // the last line consumed

    const int kind = state_.DataKind >= 1 ? state_.DataKind : numbers.FigureKind;
    const bool hasFigure = numbers.FigureKind != 0;
    const auto dispatch = [&] {
        FigureDispatch(kind, numbers.FigureVariant, numbers.FigureIndex, numbers.FigureKind,
                       numbers.FigureGroup, placementFactor);
    };
    if (hasFigure)
        dispatch();
    else
        state_.FigureHeight = 0;

    if (state_.UsedHeight > 0 && std::int64_t(state_.UsedHeight) + state_.FigureTextHeight +
                                         nearest(state_.FigureHeight * 0.8) >
                                     state_.TextHeightDots) {
        finishPage();
        startNewPage();
        // A block without a figure has nothing to hand to the hooks on the new page either.
        if (hasFigure)
            dispatch();
    }

    resetCursorToUsedHeight();
    for (const QByteArray& line : figureText) {
        renderer_.DrawTextLine(line, Cursor, state_.TextLeftDots, state_.TextTopDots);
        Cursor.setTop(Cursor.top() + state_.LinePitch);
    }
    AfterFigureText(numbers.FigureGroup, numbers.FigureVariant, numbers.FigureIndex, 0, 0, 0, 0);

    // Inserted figures advance past their text and figure; placed ones leave the text that
    // follows beside or over them.
    if (std::abs(placementFactor) < 0.00001)
        state_.UsedHeight += state_.FigureTextHeight + state_.FigureHeight;
    resetCursorToUsedHeight();

    if (state_.UsedHeight > state_.TextHeightDots) {
        finishPage();
        if (LineIndex < lines_->size() - 1)
            startNewPage();
        state_.UsedHeight = 0;
    }
}

void LayoutEngine::FigureDispatch(int kind, int figureVariant, int figureIndex, int figureKind,
                                  int figureGroup, double placementFactor) {
    const QPoint anchor = FigureAnchor();
    // Left and top are the anchor under the block's text lines; right and bottom start at 0.
    QRect r;
    r.setCoords(anchor.x(), anchor.y() + state_.FigureTextHeight, 0, 0);
    switch (kind) {
    case 1: {
        const int mode = figureVariant == 0                           ? 0
                         : (figureVariant >= 2 && figureVariant <= 4) ? 2
                                                                      : 1;
        DrawFigureKind1(figureGroup, mode, r);
        break;
    }
    case 2:
    case 6:
    case 9:
        r.setLeft(r.left() + quarterFrameShift(state_.FrameWidth, placementFactor));
        if (figureVariant == 8) {
            DrawFigureKind2Sub8(figureIndex, r);
        } else {
            // A height (FigureAreaLines line pitches), not a coordinate.
            r.setBottom(FigureAreaLines * state_.LinePitch);
            DrawFigureKind2(figureGroup, figureKind, r, figureVariant, figureIndex);
        }
        break;
    case 5:
        DrawFigureKind5(figureIndex, r);
        break;
    case 7:
        DrawFigureKind7(figureIndex, r);
        break;
    default:
        break;
    }
}
