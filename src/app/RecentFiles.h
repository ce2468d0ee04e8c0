#pragma once
// The reports opened last without error, newest first, at most eight, kept between runs in the
// tool's per-user settings beside the last folder.

#include <QString>
#include <QStringList>

class RecentFiles {
public:
    static constexpr int Limit = 8;
    static constexpr const char* Key = "RecentFiles";

    // The settings (QSettings organisation and application) that hold the list.
    RecentFiles(QString organisation, QString application);

    QStringList paths() const;
    // Puts path (made absolute) first; an earlier entry of it goes, the oldest beyond Limit go.
    void add(const QString& path);
    void remove(const QString& path);

    // list with path first, without an earlier entry of it, cut to Limit.
    static QStringList withFile(QStringList list, const QString& path);

private:
    void save(const QStringList& list);

    QString organisation_;
    QString application_;
};
