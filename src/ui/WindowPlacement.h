#pragma once
// Puts a remembered window rectangle back where it can be seen: a screen may have gone or
// changed since it was remembered.

#include <QList>
#include <QRect>

namespace window_placement {

// rect moved (and shrunk when it is larger) into the screen it overlaps most, or into the
// first screen when it overlaps none. screens: the screens' available areas; none keeps rect.
QRect keptOnScreen(const QRect& rect, const QList<QRect>& screens);

} // namespace window_placement
