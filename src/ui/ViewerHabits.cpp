#include "ui/ViewerHabits.h"

#include <QAction>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>

#include "ui/ContinuousMode.h"
#include "ui/FitKeeper.h"
#include "ui/FormPreView.h"
#include "ui/PageSelection.h"
#include "ui/WindowPlacement.h"

ViewerHabits::ViewerHabits(TFormPreView& window) : QObject(&window), window_(window) {
    keys_ = preview_shortcuts::add(&window, {window.BitBtnPrintOut, window.BitBtnReturn, window.N1,
                                             window.UpDownBairitu, window.PopupMenu1, [this] {
                                                 if (window_.EndTool)
                                                     window_.EndTool();
                                             }});

    // Copying text: drag on the page, Ctrl+A for all of it, Ctrl+C or the menu entry. The
    // edit boxes keep both keys for their own text while they have the focus.
    selection_ = new PageSelection(window.Image1, window.PrintPreview1);
    auto* selectAll = new QAction(&window);
    selectAll->setShortcut(QKeySequence::SelectAll);
    connect(selectAll, &QAction::triggered, this, [this] { selection_->selectAll(); });
    copy_ = new QAction(QStringLiteral("コピー"), &window);
    copy_->setShortcut(QKeySequence::Copy);
    copy_->setShortcutVisibleInContextMenu(true);
    connect(copy_, &QAction::triggered, this, [this] { selection_->copy(); });
    window.addActions({selectAll, copy_});
    window.PopupMenu1->addSeparator();
    window.PopupMenu1->addAction(copy_);
    connect(window.PopupMenu1, &QMenu::aboutToShow, this,
            [this] { copy_->setEnabled(selection_->hasSelection()); });
    connect(window.PopupMenu1, &QMenu::aboutToHide, this, [this] { copy_->setEnabled(true); });

    continuous_ = new ContinuousMode(window, *selection_);
}

void ViewerHabits::pageShown() {
    continuous_->pageShown();
}

std::optional<ReportPlace> ViewerHabits::remembered() const {
    if (!window_.Places || window_.FileName.isEmpty())
        return std::nullopt;
    return window_.Places->find(window_.FileName);
}

void ViewerHabits::restoreGeometry() {
    const auto place = remembered();
    if (!place || place->geometry.isEmpty())
        return;
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    window_.setGeometry(window_placement::keptOnScreen(place->geometry, screens));
}

void ViewerHabits::showFirstPage() {
    const auto place = remembered();
    if (place) {
        // The page is set before the first picture is made: opening at the last page costs
        // what opening at page 1 does.
        window_.CurrentPage = place->page;
        if (!place->zoomText.isEmpty())
            window_.EditBoxBairitu->setText(place->zoomText);
    }
    window_.ApplyZoom();
    if (place && place->fit > 0)
        window_.FitZoom(fit_zoom::Fit(place->fit - 1));
}

void ViewerHabits::rememberPlace() {
    if (!window_.Places || window_.FileName.isEmpty())
        return;
    ReportPlace place;
    place.path = window_.FileName;
    place.page = std::max(1, window_.CurrentPage);
    place.zoomText = window_.EditBoxBairitu->text();
    if (const auto fit = window_.fitKeeper_->kept())
        place.fit = int(*fit) + 1;
    // A full-screen or maximised window is remembered at its ordinary size.
    place.geometry = window_.isFullScreen() || window_.isMaximized() ? window_.normalGeometry()
                                                                     : window_.geometry();
    window_.Places->remember(place);
}
