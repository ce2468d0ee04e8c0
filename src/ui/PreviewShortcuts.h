#pragma once
// The keys people bring from other viewers, on the preview window: Ctrl+P (print), Ctrl+W
// (back, as "戻る"), Ctrl+Q (end the tool), Ctrl+plus / Ctrl+minus (the zoom arrows), Ctrl+1
// (100 %, the menu's zoom reset) and F11 (full screen). Each key is shown in the tooltip of the
// control it presses or in the text of its page-menu entry. None of them takes a key the window
// already uses.

#include <QString>
#include <functional>

class QAction;
class QMenu;
class QPushButton;
class QWidget;
class UpDownButtons;

namespace preview_shortcuts {

struct Targets {
    QPushButton* print;       // "印字出力..."
    QPushButton* back;        // "戻る"
    QAction* zoomReset;       // the page menu's "表示倍率リセット"
    UpDownButtons* zoomSteps; // the zoom arrows
    QMenu* menu;              // the page menu: full screen and end get entries there
    std::function<void()> endTool;
};

struct Actions {
    QAction* fullScreen; // "全画面表示", F11, checked while the window fills the screen
    QAction* endTool;    // "終了", Ctrl+Q
};

// Adds the keys to window (they work wherever its focus is).
Actions add(QWidget* window, const Targets& targets);

// "text (key)": how a tooltip names the key of its control.
QString withKey(const QString& text, const QAction* action);

} // namespace preview_shortcuts
