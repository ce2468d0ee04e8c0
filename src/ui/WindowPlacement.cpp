#include "ui/WindowPlacement.h"

#include <algorithm>

namespace window_placement {

QRect keptOnScreen(const QRect& rect, const QList<QRect>& screens) {
    if (screens.isEmpty() || rect.isEmpty())
        return rect;
    const auto overlap = [&rect](const QRect& screen) {
        const QRect common = rect.intersected(screen);
        return qint64(common.width()) * common.height();
    };
    const QRect screen =
        *std::max_element(screens.begin(), screens.end(),
                          [&](const QRect& a, const QRect& b) { return overlap(a) < overlap(b); });
    QRect kept(rect.topLeft(), rect.size().boundedTo(screen.size()));
    kept.moveLeft(std::clamp(kept.left(), screen.left(), screen.right() + 1 - kept.width()));
    kept.moveTop(std::clamp(kept.top(), screen.top(), screen.bottom() + 1 - kept.height()));
    return kept;
}

} // namespace window_placement
