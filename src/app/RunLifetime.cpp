#include "app/RunLifetime.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace run_lifetime {

namespace {

// Ends the event loop once the watched window has really closed (its close was accepted).
class CloseWatcher : public QObject {
public:
    explicit CloseWatcher(QWidget& window) : QObject(&window) { window.installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close && watched == parent()) {
            // The window's own handler runs after this filter and may refuse the close; look
            // once the event has been handled.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (!static_cast<QWidget*>(parent())->isVisible())
                        QCoreApplication::quit();
                },
                Qt::QueuedConnection);
        }
        return false;
    }
};

} // namespace

void endWithMainWindow(QWidget& mainWindow) {
    QApplication::setQuitOnLastWindowClosed(false);
    new CloseWatcher(mainWindow);
}

} // namespace run_lifetime
