#include "document/LayoutEngine.h"

#include <QScopeGuard>
#include <QThread>
#include <cmath>
#include <cstdlib>

#include "document/DocumentErrors.h"
#include "document/FigureLine.h"
#include "document/FigurePrefetch.h"
#include "document/FigureSource.h"
#include "document/LayoutProgress.h"
#include "document/Tags.h"
#include "pages/PrintPreview.h"
#include "platform/Rounding.h"

namespace {

using rounding::nearest;

std::int32_t mmToDots(double mm, std::int32_t dpi) {
    return nearest(mm / 25.4 * dpi);
}

// What the main loop does with a line, in the order in which the tags are tested.
enum class LineRole {
    PitchStart,
    PitchEnd,
    Font1,
    Font2,
    Font3,
    DataEnd,
    TitleStart,
    BlockStart,
    BlockEnd,
    PageEnd,
    FigureBlock,
    FigureFile,
    Fraction,
    Text,
};

LineRole roleOf(QByteArrayView line) {
    // Every tag starts with '<' and ends with '>'; most lines are text and stop here.
    if (line.size() < 2 || line.front() != '<' || line.back() != '>')
        return LineRole::Text;
    if (line == tags::HPitchStart)
        return LineRole::PitchStart;
    if (line == tags::HPitchEnd)
        return LineRole::PitchEnd;
    if (line == tags::Font1)
        return LineRole::Font1;
    if (line == tags::Font2)
        return LineRole::Font2;
    if (line == tags::Font3)
        return LineRole::Font3;
    if (line == tags::DataEnd)
        return LineRole::DataEnd;
    if (line == tags::TitleStart)
        return LineRole::TitleStart;
    if (line == tags::BlockStart)
        return LineRole::BlockStart;
    if (line == tags::BlockEnd)
        return LineRole::BlockEnd;
    if (line == tags::PageEnd)
        return LineRole::PageEnd;
    if (tags::isFigureBlockTag(line))
        return LineRole::FigureBlock;
    if (tags::isFigureFileTag(line))
        return LineRole::FigureFile;
    if (line == tags::Fraction)
        return LineRole::Fraction;
    return LineRole::Text;
}

} // namespace

LayoutEngine::LayoutEngine(LayoutState& state, TPrintPreview& store,
                           const TOutputSettings& settings, LayoutProgress* progress)
    : state_(state), store_(store), settings_(settings), progress_(progress),
      renderer_(state, store, settings), decoration_(state, store, settings),
      figureDecodeThreads_(QThread::idealThreadCount()) {}

LayoutEngine::~LayoutEngine() = default;

void LayoutEngine::startFigurePrefetch(const QByteArrayList& lines) {
    prefetch_.reset();
    if (figureDecodeThreads_ <= 0)
        return;
    // Paths are found as the layout finds them (the same resolver and figure folder).
    prefetch_ = std::make_unique<FigurePrefetch>(
        lines,
        [this](const QByteArray& nameLine, FigureFormat format) {
            return resolveFigurePath(nameLine, format, state_.FigureFolder, figurePaths_);
        },
        figureDecodeThreads_);
}

void LayoutEngine::DrawFigureKind7(int, const QRect&) {}
void LayoutEngine::DrawFigureKind5(int, const QRect&) {}
void LayoutEngine::DrawFigureKind2Sub8(int, const QRect&) {}
void LayoutEngine::DrawFigureKind2(int, int, const QRect&, int, int) {}
void LayoutEngine::DrawFigureKind1(int, int, const QRect&) {}
void LayoutEngine::AfterFigureText(int, int, int, int, int, int, int) {}

const QByteArray& LayoutEngine::lineAt(qsizetype index) const {
    if (index < 0 || index >= lines_->size())
        throw EListIndexError(index);
    return (*lines_)[index];
}

std::int32_t LayoutEngine::pitchDots(double factor) const {
    return nearest(std::abs(state_.FontHeightDots) * PitchFactor * factor);
}

void LayoutEngine::computePageGeometry() {
    const TPrinterInfo& printer = state_.PrinterInfo;
    const TOutputSettings& s = settings_;
    state_.LeftMarginDots = mmToDots(s.FrameLeftMarginMm, printer.DpiX);
    const std::int32_t rightMargin = mmToDots(s.FrameRightMarginMm, printer.DpiX);
    // The figures use the frame width rounded like the text area, not CalcFrameGeometry's.
    state_.FrameWidth = printer.PaperWidthDots - state_.LeftMarginDots - rightMargin;
    state_.TextLeftDots = mmToDots(s.FrameLeftMarginMm + s.BodyLeftMarginMm, printer.DpiX);
    state_.TextTopDots = mmToDots(s.FrameTopMarginMm + s.BodyTopMarginMm, printer.DpiY);
    const std::int32_t bottomMargin = mmToDots(s.FrameBottomMarginMm, printer.DpiY);
    state_.TextWidthDots = printer.PaperWidthDots - state_.TextLeftDots - rightMargin;
    state_.TextHeightDots = printer.PaperHeightDots - state_.TextTopDots - bottomMargin;
}

void LayoutEngine::LayoutDocument(const QByteArrayList& lines) {
    beginLayout(lines);
    const auto endPrefetch = qScopeGuard([this] { prefetch_.reset(); });
    bool progressShown = false;
    try {
        setUpFirstPage();
        if (progress_) {
            progress_->start(int(lines.size()));
            progressShown = true;
        }
        while (LineIndex < lines.size()) {
            if (progress_)
                progress_->step();
            handleLine(lines[LineIndex]);
            LineIndex += 1;
        }
        if (!pageFinished_)
            finishPage();
    } catch (...) {
        // The pages recorded so far stay, with the outline up to them; the document is always
        // ended.
        endLayout(progressShown);
        throw;
    }
    endLayout(progressShown);
}

void LayoutEngine::beginLayout(const QByteArrayList& lines) {
    lines_ = &lines;
    state_.MissingFigures.clear();
    figurePaths_ = FigurePathResolver(state_.ReportFolder);
    startFigurePrefetch(lines);
    outline_.clear();
    renderer_.clearRules();
    PitchFactor = settings_.LinePitchFactor;
    computePageGeometry();
    Cursor = QRect(0, 0, state_.TextWidthDots, state_.TextHeightDots);
    store_.setReferenceDevice(state_.PrinterInfo);
    store_.BeginDoc();
}

void LayoutEngine::setUpFirstPage() {
    // In integers, like a font tag: in floating point a half such as 57.5 can land on either
    // side.
    state_.FontHeightDots =
        LineRenderer::fontHeightDots(state_.CurFont.Size, state_.PrinterInfo.DpiY);
    FramePenWidth = PageDecoration::framePenWidth(settings_);
    // Measured on the fresh canvas of page 1, before it takes the text font.
    decoration_.calcPageNumberPosition();
    RecordingCanvas& canvas = store_.GetCanvas();
    canvas.setFont(state_.CurFont.Name, state_.CurFont.Size);
    canvas.setPenWidth(state_.PenWidth);
    canvas.setPenStyle(PenStyle::Solid);
    state_.UsedHeight = 0;
    LineIndex = 0;
    HeldLines.clear();
    state_.TitleContinued = false;
    pageFinished_ = false;
    lastStepBack_ = -1;
}

void LayoutEngine::handleLine(QByteArrayView line) {
    switch (roleOf(line)) {
    case LineRole::PitchStart:
        PitchFactor = settings_.TablePitchFactor;
        break;
    case LineRole::PitchEnd:
        PitchFactor = settings_.LinePitchFactor;
        break;
    case LineRole::Font1:
        selectFont(0);
        break;
    case LineRole::Font2:
        selectFont(1);
        break;
    case LineRole::Font3:
        selectFont(2);
        break;
    case LineRole::DataEnd:
        HeldLines.clear();
        break;
    case LineRole::TitleStart:
        handleTitleBlock();
        break;
    case LineRole::BlockStart:
        handleKeepTogether();
        break;
    case LineRole::BlockEnd:
        break;
    case LineRole::PageEnd:
        handlePageEnd();
        break;
    case LineRole::FigureBlock:
        handleFigureBlock();
        break;
    case LineRole::FigureFile:
        handleFigureFile();
        break;
    case LineRole::Fraction:
        handleFraction();
        break;
    case LineRole::Text:
        handleTextLine();
        break;
    }
}

void LayoutEngine::selectFont(int index) {
    renderer_.SelectFont(index);
    outline_.fontSelected(index);
}

void LayoutEngine::endLayout(bool progressShown) {
    if (progressShown)
        progress_->finish();
    store_.setOutline(outline_.take());
    store_.EndDoc();
    HeldLines.clear();
    lines_ = nullptr;
}

void LayoutEngine::finishPage() {
    if (pageFinished_)
        return;
    renderer_.FlushRules(Cursor, state_.TextTopDots);
    decoration_.DrawPageDecoration(FramePenWidth);
    pageFinished_ = true;
}

void LayoutEngine::startNewPage() {
    store_.NewPage();
    Cursor = QRect(0, 0, state_.TextWidthDots, state_.TextHeightDots);
    state_.UsedHeight = 0;
    pageFinished_ = false;
}

void LayoutEngine::drawAndAdvance(QByteArrayView line) {
    renderer_.DrawTextLine(line, Cursor, state_.TextLeftDots, state_.TextTopDots);
    state_.UsedHeight += state_.LinePitch;
    Cursor.setTop(Cursor.top() + state_.LinePitch);
}

void LayoutEngine::DrawHeldLines() {
    for (qsizetype i = 0; i < HeldLines.size(); ++i) {
        if (i > 0)
            state_.TitleContinued = false;
        const QByteArray& line = HeldLines[i];
        if (line == tags::HPitchStart) {
            PitchFactor = settings_.TablePitchFactor;
        } else if (line == tags::HPitchEnd) {
            PitchFactor = settings_.LinePitchFactor;
        } else {
            state_.LinePitch = pitchDots();
            drawAndAdvance(line);
        }
    }
    // Only the first held line of a continuation page is drawn as continued; a one-line title
    // must not leave the flag set for the body lines after it.
    state_.TitleContinued = false;
}

void LayoutEngine::handleTitleBlock() {
    HeldLines.clear();
    state_.LinePitch = pitchDots();
    LineIndex += 1;
    while (LineIndex < lines_->size() && (*lines_)[LineIndex] != tags::TitleEnd) {
        HeldLines.append((*lines_)[LineIndex]);
        LineIndex += 1;
    }
    state_.TitleContinued = false;
    outline_.titleBlock(HeldLines, store_.PageCount());
    DrawHeldLines();
}

void LayoutEngine::handleKeepTogether() {
    qsizetype j = LineIndex + 1;
    std::int32_t blockHeight = 0;
    state_.LinePitch = pitchDots();
    while (j < lines_->size() && (*lines_)[j] != tags::BlockEnd) {
        const QByteArray& line = (*lines_)[j];
        if (line == tags::HPitchStart)
            PitchFactor = settings_.TablePitchFactor;
        else if (line == tags::HPitchEnd)
            PitchFactor = settings_.LinePitchFactor;
        state_.LinePitch = pitchDots();
        if (!IsTagLine(line))
            blockHeight += state_.LinePitch;
        j += 1;
    }
    // A block that needs nearly the whole text area is never moved, and a page with little
    // used is never broken: both margins are 200 dots.
    if (blockHeight < state_.TextHeightDots - 200 && state_.UsedHeight > 200 &&
        state_.UsedHeight + blockHeight > state_.TextHeightDots - state_.FontHeightDots) {
        finishPage();
        startNewPage();
    }
}

void LayoutEngine::handlePageEnd() {
    if (state_.UsedHeight == 0)
        return; // no empty pages
    finishPage();
    if (LineIndex != lines_->size() - 1)
        startNewPage();
}

void LayoutEngine::handleFraction() {
    const qsizetype i = LineIndex;
    state_.LinePitch = pitchDots(FractionFactor);
    const std::int32_t pitch = state_.LinePitch;
    const std::int32_t y = Cursor.top();
    // Upper and lower lines first, the middle line (the fraction bar) last, over them.
    const auto drawAt = [this](QByteArrayView line, std::int32_t top) {
        QRect at = Cursor;
        at.setTop(top);
        renderer_.DrawTextLine(line, at, state_.TextLeftDots, state_.TextTopDots);
        state_.UsedHeight += state_.LinePitch;
    };
    drawAt(lineAt(i + 1), y);
    drawAt(lineAt(i + 3), y + 2 * pitch);
    drawAt(lineAt(i + 2), y + pitch);
    Cursor.setTop(y + 3 * pitch);
    LineIndex = i + 3;
}

void LayoutEngine::handleTextLine() {
    state_.LinePitch = pitchDots();
    state_.LastLinePitch = state_.LinePitch;
    // One font height at the bottom of the text area stays free.
    if (state_.UsedHeight + state_.LinePitch > state_.TextHeightDots - state_.FontHeightDots) {
        // A line that opened box rules is not left alone at the page bottom: it is drawn again
        // at the top of the next page. Never twice for the same line, which would repeat the
        // same two lines on page after page when they cannot share a page.
        if (state_.BoxLineSeen && LineIndex > 1 && LineIndex - 1 != lastStepBack_) {
            LineIndex -= 1;
            lastStepBack_ = LineIndex;
        } else {
            // A table's closing line stays in the free strip of the old page; a separator is
            // drawn there and again on the new page.
            const QByteArray& line = (*lines_)[LineIndex];
            const int kind = LineRenderer::LineStartKind(line);
            if (kind != 0) {
                outline_.textLine(LineIndex, line, store_.PageCount());
                renderer_.DrawTextLine(line, Cursor, state_.TextLeftDots, state_.TextTopDots);
            }
            if (kind == -1) {
                LineIndex += 1;
                // The closing line was the document's last: nothing is left for a new page,
                // and the end of the layout finishes this one.
                if (LineIndex >= lines_->size())
                    return;
            }
        }
        finishPage();
        startNewPage();
        if (!HeldLines.isEmpty()) {
            state_.TitleContinued = true;
            DrawHeldLines();
            // The title stands in for a separator line.
            if (LineRenderer::LineStartKind((*lines_)[LineIndex]) == 1)
                LineIndex += 1;
            // A separator that was the last line leaves nothing to draw below the title.
            if (LineIndex >= lines_->size())
                return;
        }
    }
    outline_.textLine(LineIndex, (*lines_)[LineIndex], store_.PageCount());
    drawAndAdvance((*lines_)[LineIndex]);
}
