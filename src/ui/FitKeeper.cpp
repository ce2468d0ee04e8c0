#include "ui/FitKeeper.h"

#include <QEvent>
#include <QWidget>

FitKeeper::FitKeeper(QWidget* area, std::function<void(fit_zoom::Fit)> refit)
    : QObject(area), area_(area), refit_(std::move(refit)) {
    area_->installEventFilter(this);
}

bool FitKeeper::eventFilter(QObject* watched, QEvent* event) {
    // The fit depends on the area's outer size only (scroll bars are allowed for), so the new
    // picture it sets cannot resize the area again.
    if (watched == area_ && event->type() == QEvent::Resize && kept_)
        refit_(*kept_);
    return QObject::eventFilter(watched, event);
}
