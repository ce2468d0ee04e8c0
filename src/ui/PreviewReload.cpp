#include "ui/PreviewReload.h"

#include <QApplication>
#include <QTime>
#include <QWidget>

#include "ui/FileChangeWatcher.h"
#include "ui/NoteBar.h"

PreviewReload::PreviewReload(Window window, FileChangeWatcher* watcher)
    : QObject(window.widget), window_(std::move(window)), watcher_(watcher) {
    connect(watcher_, &FileChangeWatcher::changed, this, &PreviewReload::reload);
}

void PreviewReload::watch(const QString& fileName) {
    fileName_ = fileName;
    watcher_->watch(window_.readAgain ? fileName : QString());
}

void PreviewReload::reload() {
    if (!window_.readAgain)
        return;
    // Not in the middle of a layout, nor under a dialog of the window: later.
    const QWidget* modal = QApplication::activeModalWidget();
    if (window_.laying() || (modal && modal != window_.widget)) {
        watcher_->retryLater();
        return;
    }
    watcher_->takeAsKnown(); // a change while reading is reported again
    const QString problem = window_.readAgain(fileName_);
    if (!problem.isEmpty()) {
        window_.note->showNote(
            QStringLiteral("ファイルを読み直せません: %1 (表示中のページはそのままです)")
                .arg(problem),
            NoteBar::Kind::Problem);
        return;
    }
    window_.note->showNote(QStringLiteral("ファイルが更新されたので読み直しました (%1)")
                               .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))),
                           NoteBar::Kind::Information);
    window_.layoutAgain(); // the page number is clamped to the new count, the zoom stays
}
