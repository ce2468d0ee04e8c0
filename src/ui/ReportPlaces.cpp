#include "ui/ReportPlaces.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const QString ArrayKey = QStringLiteral("ReportPlaces");

} // namespace

ReportPlaces::ReportPlaces(QString organisation, QString application)
    : organisation_(std::move(organisation)), application_(std::move(application)) {}

QString ReportPlaces::absolute(const QString& path) {
    return path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
}

QList<ReportPlace> ReportPlaces::all() const {
    QSettings settings(organisation_, application_);
    QList<ReportPlace> list;
    const int size = settings.beginReadArray(ArrayKey);
    for (int i = 0; i < std::min(size, Limit); ++i) {
        settings.setArrayIndex(i);
        ReportPlace place;
        place.path = settings.value(QStringLiteral("path")).toString();
        place.page = std::max(1, settings.value(QStringLiteral("page"), 1).toInt());
        place.zoomText = settings.value(QStringLiteral("zoom")).toString();
        place.fit = std::clamp(settings.value(QStringLiteral("fit"), 0).toInt(), 0, 2);
        place.geometry = settings.value(QStringLiteral("geometry")).toRect();
        if (!place.path.isEmpty())
            list.append(place);
    }
    settings.endArray();
    return list;
}

std::optional<ReportPlace> ReportPlaces::find(const QString& path) const {
    const QString key = absolute(path);
    for (const ReportPlace& place : all())
        if (place.path == key)
            return place;
    return std::nullopt;
}

QList<ReportPlace> ReportPlaces::withPlace(QList<ReportPlace> list, const ReportPlace& place) {
    list.removeIf([&](const ReportPlace& p) { return p.path == place.path; });
    list.prepend(place);
    if (list.size() > Limit)
        list.resize(Limit);
    return list;
}

void ReportPlaces::remember(ReportPlace place) {
    place.path = absolute(place.path);
    if (place.path.isEmpty())
        return;
    save(withPlace(all(), place));
}

void ReportPlaces::save(const QList<ReportPlace>& list) {
    QSettings settings(organisation_, application_);
    settings.remove(ArrayKey); // a shorter list leaves no stale entries behind
    settings.beginWriteArray(ArrayKey, int(list.size()));
    for (int i = 0; i < list.size(); ++i) {
        const ReportPlace& place = list[i];
        settings.setArrayIndex(i);
        settings.setValue(QStringLiteral("path"), place.path);
        settings.setValue(QStringLiteral("page"), place.page);
        settings.setValue(QStringLiteral("zoom"), place.zoomText);
        settings.setValue(QStringLiteral("fit"), place.fit);
        settings.setValue(QStringLiteral("geometry"), place.geometry);
    }
    settings.endArray();
}
