#pragma once
// Lets a window take a report file dropped on it: one local file whose name ends in ".txt"
// (the open dialog's filter) is taken; anything else is refused while it is dragged, so the
// pointer shows that it cannot be dropped. The file is handed on after the drop has ended,
// so a modal window opened for it does not hold up the program it was dragged from.

#include <QObject>
#include <QString>
#include <functional>

class QMimeData;
class QWidget;

class FileDropTarget : public QObject {
    Q_OBJECT
public:
    FileDropTarget(QWidget* window, std::function<void(const QString& path)> open);

    // The path of the one report file in data, or an empty string.
    static QString droppedFile(const QMimeData* data);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    std::function<void(const QString&)> open_;
};
