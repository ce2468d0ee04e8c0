#pragma once
// Where each report was left: page, zoom, fit and the preview window's place, by the report's
// absolute path, for the last 50 reports, in the tool's per-user settings beside the last
// folder. A report opened again opens there. The layout settings are not kept here: they start
// from their defaults at every run.

#include <QList>
#include <QRect>
#include <QString>
#include <optional>

struct ReportPlace {
    QString path;     // absolute
    int page = 1;     // from 1
    QString zoomText; // the zoom box's text
    int fit = 0;      // 0 none, 1 whole page, 2 page width (fit_zoom::Fit + 1)
    QRect geometry;   // the window's client area on the desktop; null when not known

    bool operator==(const ReportPlace&) const = default;
};

class ReportPlaces {
public:
    static constexpr int Limit = 50;

    // The settings (QSettings organisation and application) that hold the list.
    ReportPlaces(QString organisation, QString application);

    // The place of the report at path (made absolute), if it was remembered.
    std::optional<ReportPlace> find(const QString& path) const;
    // Remembers place as the newest; the oldest beyond Limit are forgotten.
    void remember(ReportPlace place);

    // The whole list, newest first.
    QList<ReportPlace> all() const;
    // list with place first (its earlier entry taken out), cut to Limit.
    static QList<ReportPlace> withPlace(QList<ReportPlace> list, const ReportPlace& place);
    static QString absolute(const QString& path);

private:
    void save(const QList<ReportPlace>& list);

    QString organisation_;
    QString application_;
};
