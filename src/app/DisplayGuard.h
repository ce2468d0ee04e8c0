#pragma once
// The window needs a display. Without one Qt's platform plugin ends the process with an abort
// and several lines of advice; the tool says instead in one line why no window can open and
// exits with status 1.

#include <QString>

namespace display_guard {

// Why no window can open, judged from the environment before anything is loaded: empty when a
// display (or a chosen platform) is there.
QString missingDisplay();

// Prints "folioscope: cannot open the window: REASON" and the way to work without a window.
int reportNoWindow(const QString& reason);

// Held while the application object is made: a fatal failure of the platform plugin then ends
// the process with reportNoWindow() instead of an abort. Messages of the platform plugins meanwhile
// are kept back (the first one becomes the reason) and passed on when the guard is released.
class Guard {
public:
    Guard();
    ~Guard();
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;
};

} // namespace display_guard
