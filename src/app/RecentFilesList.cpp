#include "app/RecentFilesList.h"

#include <QDir>
#include <QFileInfo>

#include "app/AppErrors.h"
#include "ui/MessageBoxes.h"

RecentFilesList::RecentFilesList(RecentFiles& files, std::function<void(const QString&)> open,
                                 QWidget* parent)
    : QListWidget(parent), files_(files), open_(std::move(open)) {
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        // Later, not inside the list's own handler: opening hides this window for a while.
        const QString path = item->data(PathRole).toString();
        QMetaObject::invokeMethod(
            this, [this, path] { choose(path); }, Qt::QueuedConnection);
    });
    refresh();
}

void RecentFilesList::refresh() {
    clear();
    const QBrush grey = palette().brush(QPalette::Disabled, QPalette::Text);
    for (const QString& path : files_.paths()) {
        const QFileInfo file(path);
        auto* item = new QListWidgetItem(file.fileName() + QStringLiteral("  —  ") +
                                             QDir::toNativeSeparators(file.path()),
                                         this);
        item->setData(PathRole, path);
        item->setToolTip(path);
        if (!file.isFile())
            item->setForeground(grey);
    }
}

void RecentFilesList::choose(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        files_.remove(path);
        refresh();
        ShowWarning(window(), app_errors::FileDoesNotExist);
        return;
    }
    open_(path);
}
