#pragma once
// The preview window's keys beyond its toolbar and the matching entries of its page menu:
// find (Ctrl+F, F3, Shift+F3) and fit page / fit width (Ctrl+0, Ctrl+2, also in the menu,
// their keys shown there and in their tooltips).

#include <functional>

#include "ui/FitZoom.h"

class PreviewFind;
class QAction;
class QMenu;
class QWidget;

namespace preview_actions {

struct FitActions {
    QAction* page;  // "ページ全体", Ctrl+0
    QAction* width; // "幅に合わせる", Ctrl+2
};

// Adds the actions to window (they work wherever its focus is) and the fit entries to menu.
FitActions add(QWidget* window, QMenu* menu, PreviewFind& find,
               const std::function<void(fit_zoom::Fit)>& fit);

} // namespace preview_actions
