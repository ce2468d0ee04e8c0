#pragma once
// When a run of the window mode ends: when its main window closes, and never because some
// other window closed. Qt's default ends the event loop when the last visible window with
// WA_QuitOnClose closes; while the main window is hidden under a preview, the closing of any
// passing window (the layout's progress window, a message box, a dialog) would then end the
// whole tool.

class QWidget;

namespace run_lifetime {

// Ties the end of the application's event loop to mainWindow's close alone.
void endWithMainWindow(QWidget& mainWindow);

} // namespace run_lifetime
