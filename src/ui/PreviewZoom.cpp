#include "ui/PreviewZoom.h"

#include <algorithm>
#include <cmath>

#include "platform/TextToNumber.h"

namespace preview_zoom {

double percentFromText(const QString& text) {
    const double percent = text_to_number::realOr(text, DefaultPercent);
    return percent < MinimumPercent ? MinimumPercent : percent;
}

int stepPercent(double currentPercent, int direction) {
    // Clamp before converting: a typed zoom may be far outside the int range.
    const double from = std::clamp(std::round(currentPercent), double(StepMinimum) - StepIncrement,
                                   double(StepMaximum) + StepIncrement);
    const int next = int(from) + (direction > 0 ? StepIncrement : -StepIncrement);
    return std::clamp(next, StepMinimum, StepMaximum);
}

int pageFromText(const QString& text, int pageCount) {
    const int page = text_to_number::intOr(text, 1);
    if (page < 1)
        return 1;
    return page > pageCount ? std::max(pageCount, 1) : page;
}

} // namespace preview_zoom
