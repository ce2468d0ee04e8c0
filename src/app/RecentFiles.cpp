#include "app/RecentFiles.h"

#include <QFileInfo>
#include <QSettings>

RecentFiles::RecentFiles(QString organisation, QString application)
    : organisation_(std::move(organisation)), application_(std::move(application)) {}

QStringList RecentFiles::paths() const {
    QStringList list =
        QSettings(organisation_, application_).value(QLatin1String(Key)).toStringList();
    list.removeAll(QString());
    if (list.size() > Limit)
        list.resize(Limit);
    return list;
}

QStringList RecentFiles::withFile(QStringList list, const QString& path) {
    list.removeAll(path);
    list.prepend(path);
    if (list.size() > Limit)
        list.resize(Limit);
    return list;
}

void RecentFiles::add(const QString& path) {
    if (!path.isEmpty())
        save(withFile(paths(), QFileInfo(path).absoluteFilePath()));
}

void RecentFiles::remove(const QString& path) {
    QStringList list = paths();
    if (list.removeAll(path) > 0)
        save(list);
}

void RecentFiles::save(const QStringList& list) {
    QSettings(organisation_, application_).setValue(QLatin1String(Key), list);
}
