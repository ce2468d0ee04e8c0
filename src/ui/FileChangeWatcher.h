#pragma once
// Tells when a file on disk has changed: written in place, replaced by another file renamed
// onto its name, deleted, or created again. Watches the file and its folder (a replaced or
// deleted file is no longer watched by its old name) and reports a series of changes once,
// after they have settled, and only when the file is no longer what it was when last taken.

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

class FileChangeWatcher : public QObject {
    Q_OBJECT
public:
    explicit FileChangeWatcher(QObject* parent = nullptr);

    // Starts watching path (an empty path stops), taking the file as it is now as known.
    void watch(const QString& path);
    const QString& path() const { return path_; }
    // The file as it is now counts as known (after it was read again).
    void takeAsKnown();
    // Reports again after the settling time (the change could not be taken up yet).
    void retryLater();

    // A change is reported this long after the last event of a series.
    void setSettleMs(int ms) { settle_.setInterval(ms); }
    static constexpr int DefaultSettleMs = 400;

signals:
    void changed();

private:
    struct Stamp {
        bool exists = false;
        qint64 size = 0, inode = 0, device = 0, modifiedNs = 0, changedNs = 0;
        bool operator==(const Stamp&) const = default;
    };
    static Stamp stampOf(const QString& path);
    void somethingMoved(bool fileItself);
    void settled();
    void rewatch();

    QFileSystemWatcher watcher_;
    QTimer settle_;
    QString path_;
    Stamp known_;
    Stamp lastSeen_; // at the last event that concerned the file
    bool retry_ = false;
};
