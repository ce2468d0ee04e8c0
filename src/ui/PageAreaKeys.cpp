#include "ui/PageAreaKeys.h"

#include <QAbstractScrollArea>
#include <QKeyEvent>

PageAreaKeys::PageAreaKeys(QAbstractScrollArea* area) : QObject(area) {
    // The page and its parents take no focus of their own, so a click on them gives the
    // focus to the first parent that takes it: the area.
    area->setFocusPolicy(Qt::StrongFocus);
    area->installEventFilter(this);
}

bool PageAreaKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_PageUp || key == Qt::Key_PageDown)
            return true; // the window has turned the page already
    }
    return QObject::eventFilter(watched, event);
}
