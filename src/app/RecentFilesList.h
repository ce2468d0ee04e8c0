#pragma once
// The main window's list of recent reports: one row per report (its name, then its folder; the
// full path as tooltip), a report no longer on disk greyed. A chosen row (double click or
// Enter) is handed on; a missing one gets the "does not exist" warning and leaves the list.

#include <QListWidget>
#include <functional>

#include "app/RecentFiles.h"

class RecentFilesList : public QListWidget {
    Q_OBJECT
public:
    // open: what a chosen report that exists is handed to.
    RecentFilesList(RecentFiles& files, std::function<void(const QString& path)> open,
                    QWidget* parent);

    // Reads the list again and looks again which reports exist.
    void refresh();
    // What a double click or Enter on the row of path does.
    void choose(const QString& path);

    static constexpr int PathRole = Qt::UserRole;

private:
    RecentFiles& files_;
    std::function<void(const QString& path)> open_;
};
