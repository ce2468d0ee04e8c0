#include "document/LineRenderer.h"

#include <algorithm>
#include <limits>

#include "document/RunScanner.h"
#include "pages/PrintPreview.h"
#include "platform/Cp932.h"
#include "platform/Rounding.h"

namespace {

const QByteArrayView boxCorner("\x84\xA1");       // "┌": two half-pitch cells
const QByteArrayView heavyHorizontal("\x84\xAA"); // "━"

// Superscripts and subscripts are set this many points smaller than the line.
constexpr int scriptShrinkPoints = 3;

// Page coordinates of a line are kept within this range: a line of millions of bytes would
// otherwise run its cell positions past the range of int. Everything this far out is off
// the paper anyway.
constexpr std::int64_t kFarDots = std::int64_t(1) << 28;

int clampDots(std::int64_t dots) {
    return int(std::clamp(dots, -kFarDots, kFarDots));
}

// The leading bytes of text whose cells start before limit dots from the run's left edge
// (cells of halfPitch, whole double-byte characters): what of a run can land on the paper.
QByteArrayView onPaper(QByteArrayView text, std::int64_t limit, int halfPitch) {
    if (halfPitch <= 0)
        return text;
    const std::int64_t cells = limit <= 0 ? 0 : (limit + halfPitch - 1) / halfPitch;
    if (cells >= text.size())
        return text;
    qsizetype end = 0;
    while (end < cells)
        end += cp932::isLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
    return text.first(std::min(end, text.size()));
}

// Round(points / 72 * dpi).
int pointsToDots(int points, int dpi) {
    return int(rounding::halfEven(std::int64_t(points) * dpi, 72));
}

} // namespace

LineRenderer::LineRenderer(LayoutState& state, TPrintPreview& store,
                           const TOutputSettings& settings)
    : state_(state), store_(store), settings_(settings) {}

void LineRenderer::DrawTextLine(QByteArrayView line, const QRect& cursor, int originX,
                                int originY) {
    RecordingCanvas& canvas = store_.GetCanvas();
    state_.BoxLineSeen = false;

    canvas.setTextExtra(0);
    const int size = canvas.fontSize();
    const int extra = canvas.textExtra();
    const int height = canvas.textHeight(line);
    const int raise = height / 4;
    const int lower = height / 2;

    const int paperRight = state_.PrinterInfo.PaperWidthDots;
    const int x0 = cursor.left() + originX;
    int x = x0;
    int y = cursor.top() + originY;
    int pos = 1;
    Run run;
    do {
        run = NextRun(line, pos);
        const int cornerWidth = canvas.textWidth(boxCorner);
        const int halfPitch = cornerWidth / 2;

        const bool script = run.kind == RunSuperscript || run.kind == RunSubscript;
        if (script) {
            canvas.setFontSize(size - scriptShrinkPoints);
            canvas.setTextExtra(extra / 2);
            y += run.kind == RunSubscript ? lower : -raise;
        } else {
            canvas.setFontSize(size);
            canvas.setTextExtra(extra);
        }

        if (run.kind >= RunBoxFirst && run.kind <= RunBoxLast) {
            // pos is just past the mark, so this is the centre of the mark's two cells.
            const QPoint point(
                clampDots(x0 + std::int64_t(halfPitch) * (pos - 1) - cornerWidth / 2),
                y + canvas.textHeight(line) / 2);
            if (addBoxMarkPoints(run.kind, point))
                state_.BoxLineSeen = true;
        }

        if (run.kind == RunRule) {
            const int penWidth = canvas.pen().width;
            canvas.setPenWidth(state_.PenWidth);
            canvas.moveTo(x, y + lower);
            x = clampDots(x +
                          std::int64_t(canvas.textWidth(heavyHorizontal)) * (run.text.size() / 2));
            canvas.lineTo(x, y + lower);
            canvas.setPenWidth(penWidth);
        } else {
            // Smaller text sits a quarter of the size difference to the right.
            const int dx = pointsToDots(size - canvas.fontSize(), state_.PrinterInfo.DpiX) / 4;
            // A run that holds only blanks comes back empty: nothing to paint, no cells.
            // Only what can land on the paper is recorded (with spacing of 0 or more, later
            // cells lie further right), so a line of megabytes costs one paper width.
            const QByteArrayView text =
                canvas.textExtra() < 0
                    ? QByteArrayView(run.text)
                    : onPaper(run.text, std::int64_t(paperRight) - (x + dx), halfPitch);
            if (!text.isEmpty())
                canvas.textOut(x + dx, y, text);
            canvas.setFontSize(size);
            x = clampDots(x + std::int64_t(run.text.size()) * halfPitch);
            if (run.kind == RunSubscript)
                y -= lower;
            else if (run.kind == RunSuperscript)
                y += raise;
        }
    } while (!run.endOfLine);

    canvas.setFontSize(size);
    canvas.setTextExtra(extra);
}

bool LineRenderer::addBoxMarkPoints(int kind, const QPoint& p) {
    const bool side = settings_.DrawTableSideLines == 1;
    switch (kind) {
    case RunHeavyTopLeft:
        AddRulePoint(horz_, false, p);
        if (side) {
            AddRulePoint(vert_, false, p);
            AddRulePoint(extra_, false, p);
        }
        return true;
    case RunHeavyCross:
        AddRulePoint(horz_, true, p);
        AddRulePoint(horz_, false, p);
        AddRulePoint(vert_, true, p);
        AddRulePoint(vert_, false, p);
        if (side)
            AddRulePoint(extra_, true, p);
        return true;
    case RunTopLeft:
        AddRulePoint(horz_, false, p);
        if (side)
            AddRulePoint(vert_, false, p);
        return true;
    case RunTopRight:
        AddRulePoint(horz_, true, p);
        if (side)
            AddRulePoint(vert_, false, p);
        return true;
    case RunBottomLeft:
        AddRulePoint(horz_, false, p);
        if (side)
            AddRulePoint(vert_, true, p);
        return false;
    case RunBottomRight:
        AddRulePoint(horz_, true, p);
        if (side)
            AddRulePoint(vert_, true, p);
        return false;
    case RunTopTee:
        AddRulePoint(vert_, false, p);
        return true;
    case RunBottomTee:
        AddRulePoint(vert_, true, p);
        return false;
    case RunLeftTee: // side verticals only where the table's top is on the last page
        AddRulePoint(horz_, false, p);
        if (state_.TitleContinued && side)
            AddRulePoint(vert_, false, p);
        return true;
    case RunRightTee:
        AddRulePoint(horz_, true, p);
        if (state_.TitleContinued && side)
            AddRulePoint(vert_, false, p);
        return true;
    case RunCross:
        AddRulePoint(horz_, true, p);
        AddRulePoint(horz_, false, p);
        AddRulePoint(vert_, true, p);
        AddRulePoint(vert_, false, p);
        return true;
    default:
        return false;
    }
}

void LineRenderer::AddRulePoint(std::vector<RuleSegment>& list, bool isEnd, const QPoint& p) {
    if (&list == &vert_) {
        isEnd ? endVertical(p) : openVertical(p);
        return;
    }
    if (!isEnd) {
        list.push_back(RuleSegment{p.x(), p.y(), 0, 0});
        return;
    }
    if (!list.empty()) {
        list.back().X2 = p.x();
        list.back().Y2 = p.y();
    }
}

namespace {
constexpr std::size_t noVertical = std::numeric_limits<std::size_t>::max();
}

// A vertical counts as open while Y2 <= Y1, so one that starts above the page origin (Y1 < 0)
// is taken as ended from the start.
void LineRenderer::openVertical(const QPoint& p) {
    const std::size_t index = vert_.size();
    vert_.push_back(RuleSegment{p.x(), p.y(), 0, 0});
    nextOpenVert_.push_back(noVertical);
    if (p.y() < 0)
        return;
    const auto [chain, added] = openVert_.try_emplace(p.x(), OpenChain{index, index});
    if (!added) {
        nextOpenVert_[chain->second.last] = index;
        chain->second.last = index;
    }
}

// Ends the first open vertical at the same X. An end at or above its start leaves it open,
// and still the first at its X.
void LineRenderer::endVertical(const QPoint& p) {
    const auto chain = openVert_.find(p.x());
    if (chain == openVert_.end())
        return;
    const std::size_t index = chain->second.first;
    RuleSegment& segment = vert_[index];
    segment.X2 = p.x();
    segment.Y2 = p.y();
    if (segment.Y2 <= segment.Y1)
        return;
    if (nextOpenVert_[index] == noVertical)
        openVert_.erase(chain);
    else
        chain->second.first = nextOpenVert_[index];
}

void LineRenderer::clearVerticals() {
    vert_.clear();
    openVert_.clear();
    nextOpenVert_.clear();
}

void LineRenderer::FlushRules(const QRect& cursor, int originY) {
    RecordingCanvas& canvas = store_.GetCanvas();
    const auto line = [&canvas](int x1, int y1, int x2, int y2) {
        canvas.moveTo(x1, y1);
        canvas.lineTo(x2, y2);
    };

    // An extra rule whose "╋" never came still has no end point; drawing it would run a line
    // to the page origin, so it is dropped like an unended horizontal.
    for (const RuleSegment& s : extra_)
        if (s.X2 != 0 || s.Y2 != 0)
            line(s.X1, s.Y1, s.X2, s.Y2);
    extra_.clear();

    for (const RuleSegment& s : horz_)
        if (s.X1 < s.X2)
            line(s.X1, s.Y1, s.X2, s.Y2);
    horz_.clear();

    // Open verticals of a table that goes on past this page run down to the last line
    // position and are joined there by one horizontal rule.
    int bottom = originY + cursor.top();
    if (!state_.BoxLineSeen)
        bottom += int(rounding::halfEven(state_.LastLinePitch, 2));
    int minX = std::numeric_limits<int>::max();
    int maxX = std::numeric_limits<int>::min();
    for (const RuleSegment& s : vert_) {
        if (s.Y2 > s.Y1) {
            line(s.X1, s.Y1, s.X2, s.Y2);
        } else if (bottom - s.Y1 > state_.LastLinePitch) {
            line(s.X1, s.Y1, s.X1, bottom);
            minX = std::min(minX, s.X1);
            maxX = std::max(maxX, s.X1);
        }
    }
    clearVerticals();
    if (minX < maxX)
        line(minX, bottom, maxX, bottom);
}

void LineRenderer::SelectFont(int index) {
    if (index < 0 || index >= int(settings_.FontName.size()))
        return;
    state_.CurFont.Name = settings_.FontName[size_t(index)].text();
    state_.CurFont.Size = settings_.FontSize[size_t(index)];
    state_.FontHeightDots = pointsToDots(state_.CurFont.Size, state_.PrinterInfo.DpiY);
    store_.GetCanvas().setFont(state_.CurFont.Name, state_.CurFont.Size);
}

int LineRenderer::fontHeightDots(int points, int dpi) {
    return pointsToDots(points, dpi);
}

int LineRenderer::LineStartKind(QByteArrayView line) {
    int pos = 1;
    switch (NextRun(line, pos).kind) {
    case RunBottomLeft:
        return -1;
    case RunLeftTee:
        return 1;
    default:
        return 0;
    }
}

void LineRenderer::clearRules() {
    horz_.clear();
    clearVerticals();
    extra_.clear();
}
