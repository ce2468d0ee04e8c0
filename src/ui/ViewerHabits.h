#pragma once
// Wires the viewer habits into the preview window: the common keys (PreviewShortcuts) and
// what the window shares with its helpers for them. One object per window, a child of it.

#include <QObject>

#include "ui/PreviewShortcuts.h"

class TFormPreView;

class ViewerHabits : public QObject {
    Q_OBJECT
public:
    explicit ViewerHabits(TFormPreView& window);

    QAction* fullScreenAction() const { return keys_.fullScreen; }
    QAction* endToolAction() const { return keys_.endTool; }

private:
    TFormPreView& window_;
    preview_shortcuts::Actions keys_{};
};
