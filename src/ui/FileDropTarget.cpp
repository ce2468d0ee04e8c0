#include "ui/FileDropTarget.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>

FileDropTarget::FileDropTarget(QWidget* window, std::function<void(const QString&)> open)
    : QObject(window), window_(window), open_(std::move(open)) {
    window->setAcceptDrops(true);
    window->installEventFilter(this);
}

QString FileDropTarget::droppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return {};
    const QString path = urls.front().toLocalFile();
    return path.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive) ? path : QString();
}

bool FileDropTarget::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (droppedFile(drag->mimeData()).isEmpty())
            drag->ignore();
        else
            drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString path = droppedFile(drop->mimeData());
        if (path.isEmpty()) {
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        QTimer::singleShot(0, this, [this, path] { open_(path); });
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}
