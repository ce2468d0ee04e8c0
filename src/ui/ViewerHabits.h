#pragma once
// Wires the viewer habits into the preview window: the common keys (PreviewShortcuts), the
// place each report was left at (ReportPlaces), copying text (PageSelection) and continuous
// pages (ContinuousMode). One object per window, a child of it.

#include <QObject>
#include <optional>

#include "ui/PreviewShortcuts.h"
#include "ui/ReportPlaces.h"

class ContinuousMode;
class PageSelection;
class TFormPreView;

class ViewerHabits : public QObject {
    Q_OBJECT
public:
    explicit ViewerHabits(TFormPreView& window);

    QAction* fullScreenAction() const { return keys_.fullScreen; }
    QAction* endToolAction() const { return keys_.endTool; }
    QAction* copyAction() const { return copy_; } // "コピー", Ctrl+C, also in the page menu
    PageSelection& selection() const { return *selection_; }
    ContinuousMode& continuous() const { return *continuous_; }

    // After every ShowPage: continuous mode scrolls to the page shown.
    void pageShown();

    // Before the window is first shown: its size and position where this report left it
    // (kept on a screen).
    void restoreGeometry();
    // The first page shown: the report's remembered page, zoom and fit, else page 1 at the
    // zoom the settings hold.
    void showFirstPage();
    // Remembers where the window's report is left (page, zoom, fit, window).
    void rememberPlace();

private:
    std::optional<ReportPlace> remembered() const;

    TFormPreView& window_;
    preview_shortcuts::Actions keys_{};
    PageSelection* selection_;
    QAction* copy_;
    ContinuousMode* continuous_;
};
