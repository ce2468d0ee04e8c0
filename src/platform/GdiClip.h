#pragma once
// Combining clip regions (paths in target coordinates) by the RGN_* modes, within a budget of
// path boolean work per playing, so that a file of a million clip records still plays in time
// proportional to its size.

#include <QPainterPath>
#include <QRectF>

#include <optional>

namespace gdi_clip {

// Path boolean work spent so far in one playing.
class Budget {
public:
    // Charges units of work; false once all that was charged passes the budget.
    bool spend(qint64 units);

private:
    qint64 spent_ = 0;
};

// A closed path around the normalised rectangle, as clip rectangles are kept.
QPainterPath rectPath(const QRectF& r);

// Combines target into clip by mode (RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF, RGN_COPY); no clip
// means everything. Rectangle with rectangle intersects without spending the budget; other
// operations except RGN_COPY are skipped once it is spent, and so is any result of more than
// 50,000 path elements. Returns whether clip changed.
bool combine(std::optional<QPainterPath>& clip, const QPainterPath& target, int mode,
             Budget& budget);

} // namespace gdi_clip
