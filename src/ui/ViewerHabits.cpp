#include "ui/ViewerHabits.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

#include "ui/FitKeeper.h"
#include "ui/FormPreView.h"
#include "ui/WindowPlacement.h"

ViewerHabits::ViewerHabits(TFormPreView& window) : QObject(&window), window_(window) {
    keys_ =
        preview_shortcuts::add(&window, {window.BitBtnPrintOut, window.BitBtnReturn, window.BitBtn1,
                                         window.UpDownBairitu, window.PopupMenu1, [this] {
                                             if (window_.EndTool)
                                                 window_.EndTool();
                                         }});
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
