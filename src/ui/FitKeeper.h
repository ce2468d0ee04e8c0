#pragma once
// Keeps a fit of the zoom in force: while a fit is kept, every resize of the scrolling area
// (the window resized, a bar opened above it) fits the page or its width again, until the
// zoom is set another way.

#include <QObject>
#include <functional>
#include <optional>

#include "ui/FitZoom.h"

class QWidget;

class FitKeeper : public QObject {
    Q_OBJECT
public:
    // Watches area; refit is called with the kept fit after each of its resizes.
    FitKeeper(QWidget* area, std::function<void(fit_zoom::Fit)> refit);

    void keep(fit_zoom::Fit fit) { kept_ = fit; }
    void drop() { kept_.reset(); }
    std::optional<fit_zoom::Fit> kept() const { return kept_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* area_;
    std::function<void(fit_zoom::Fit)> refit_;
    std::optional<fit_zoom::Fit> kept_;
};
