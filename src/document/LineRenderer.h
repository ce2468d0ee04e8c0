#pragma once
// Draws one text line on the half-pitch grid of the current font: runs of text, superscripts
// and subscripts, heavy rules, and the end points of table rules that box characters mark,
// which are drawn as real lines when the page is complete (FlushRules).

#include <QByteArrayView>
#include <QPoint>
#include <QRect>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "document/LayoutState.h"
#include "document/OutputSettings.h"

class TPrintPreview;

// A rule segment in page dots; X2 = Y2 = 0 until it is ended.
struct RuleSegment {
    std::int32_t X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    bool operator==(const RuleSegment&) const = default;
};

class LineRenderer {
public:
    LineRenderer(LayoutState& state, TPrintPreview& store, const TOutputSettings& settings);

    // Draws line with the top of its cells at originY + cursor.top() and its left at
    // originX + cursor.left(); sets state.BoxLineSeen.
    void DrawTextLine(QByteArrayView line, const QRect& cursor, int originX, int originY);
    // Draws and empties the rule lists; open verticals run down to originY + cursor.top().
    void FlushRules(const QRect& cursor, int originY);
    // Makes Font1, Font2 or Font3 (index 0, 1, 2) the current font.
    void SelectFont(int index);
    // A font size in points as dots at dpi: Round(points / 72 × dpi), halves to even, exact.
    static int fontHeightDots(int points, int dpi);
    // -1 when the first run of line ends at "└", +1 when it ends at "├", else 0.
    static int LineStartKind(QByteArrayView line);

    // Empties the three rule lists (layout start).
    void clearRules();
    const std::vector<RuleSegment>& HorzRules() const { return horz_; }
    const std::vector<RuleSegment>& VertRules() const { return vert_; }
    const std::vector<RuleSegment>& ExtraRules() const { return extra_; }

private:
    // Opens a segment at point (isEnd false) or ends one there: the last segment of a
    // horizontal or extra list, the first still open vertical at the same X.
    void AddRulePoint(std::vector<RuleSegment>& list, bool isEnd, const QPoint& point);
    // The rule points of one box mark (kind 8..18) at point; true when the mark sets
    // BoxLineSeen.
    bool addBoxMarkPoints(int kind, const QPoint& point);
    void openVertical(const QPoint& point);
    void endVertical(const QPoint& point);
    void clearVerticals();

    LayoutState& state_;
    TPrintPreview& store_;
    const TOutputSettings& settings_;
    std::vector<RuleSegment> horz_;
    std::vector<RuleSegment> vert_;
    std::vector<RuleSegment> extra_;
    // The still open verticals at each X, first to last in vert_ order, chained through
    // nextOpenVert_: an end finds its vertical without scanning vert_, which made a line of
    // many "┴" under one of many "┬" quadratic.
    struct OpenChain {
        std::size_t first, last;
    };
    std::unordered_map<std::int32_t, OpenChain> openVert_;
    std::vector<std::size_t> nextOpenVert_;
};
