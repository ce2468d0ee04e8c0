#pragma once
// Secondary windows open centred on the main window, also while it is hidden behind a preview.

class QWidget;

// Moves window so that its centre lies on the centre of the main window (the application's
// TFormFolioscopeMain, shown or hidden); without one, on its parent window; without that, on
// its screen. Call before the window is shown.
void CentreOnMainWindow(QWidget* window);
