#include "ui/WindowCentring.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

namespace {

// The main window lives in the layer above; it is found by its class name.
const QWidget* mainWindow() {
    for (const QWidget* widget : QApplication::topLevelWidgets())
        if (widget->inherits("TFormFolioscopeMain"))
            return widget;
    return nullptr;
}

} // namespace

void CentreOnMainWindow(QWidget* window) {
    QRect area;
    if (const QWidget* main = mainWindow(); main && main != window)
        area = main->frameGeometry();
    else if (const QWidget* parent = window->parentWidget())
        area = parent->window()->frameGeometry();
    else if (const QScreen* screen = window->screen())
        area = screen->availableGeometry();
    if (!area.isValid())
        return;
    const QRect frame = window->frameGeometry();
    window->move(area.center() - frame.center() + window->pos());
}
