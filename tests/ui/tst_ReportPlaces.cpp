// Where reports were left: the list in the settings, and the preview window that opens a
// report there and remembers it when closed.

#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "document/OutputSettings.h"
#include "platform/FontSubstitution.h"
#include "ui/FormPreView.h"
#include "ui/ReportPlaces.h"

namespace {

ReportPlace placeOf(const QString& path, int page) {
    ReportPlace place;
    place.path = path;
    place.page = page;
    place.zoomText = QString::number(page * 10);
    return place;
}

QStringList pathsOf(const QList<ReportPlace>& list) {
    QStringList paths;
    for (const ReportPlace& p : list)
        paths << p.path;
    return paths;
}

// A report of count pages.
QByteArrayList pages(int count) {
    QByteArrayList lines;
    for (int i = 1; i <= count; ++i) {
        if (i > 1)
            lines << "<Page-End>";
        lines << "page " + QByteArray::number(i);
    }
    return lines;
}

} // namespace

class TestReportPlaces : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
        font_substitution::install();
    }
    void init() {
        QSettings("Folioscope", "Folioscope").clear();
        resetOutputSettings();
    }

    // Newest first, one entry per report, at most Limit: the oldest go.
    void listOrderAndLimit_data() {
        QTest::addColumn<QStringList>("remembered");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("newest first")
            << QStringList{"/a", "/b", "/c"} << QStringList{"/c", "/b", "/a"};
        QTest::newRow("again moves to the front")
            << QStringList{"/a", "/b", "/a"} << QStringList{"/a", "/b"};
        QStringList many, kept;
        for (int i = 0; i < ReportPlaces::Limit + 3; ++i)
            many << QStringLiteral("/r%1").arg(i);
        for (int i = ReportPlaces::Limit + 2; i >= 3; --i)
            kept << QStringLiteral("/r%1").arg(i);
        QTest::newRow("limit") << many << kept;
    }
    void listOrderAndLimit() {
        QFETCH(QStringList, remembered);
        QFETCH(QStringList, expected);
        ReportPlaces places("Folioscope", "Folioscope");
        for (const QString& path : remembered)
            places.remember(placeOf(path, 1));
        QCOMPARE(pathsOf(places.all()), expected);
    }

    // Everything of an entry comes back, by absolute path, from a new store object (a new run).
    void entryComesBack() {
        ReportPlace place = placeOf(QDir::currentPath() + "/report.txt", 7);
        place.fit = 2;
        place.geometry = QRect(10, 20, 700, 500);
        ReportPlaces("Folioscope", "Folioscope").remember(place);
        const ReportPlaces again("Folioscope", "Folioscope");
        QCOMPARE(again.find("report.txt"), std::optional(place)); // a relative name made absolute
        QCOMPARE(again.find("/elsewhere/report.txt"), std::nullopt);
        // The last folder beside it is left alone.
        QSettings("Folioscope", "Folioscope").setValue("LastFolder", "/f/");
        ReportPlaces("Folioscope", "Folioscope").remember(placeOf("/x", 1));
        QCOMPARE(QSettings("Folioscope", "Folioscope").value("LastFolder").toString(), "/f/");
    }

    // The window closed on page 3 at 150 % opens there again; a report never seen, or a
    // window without a store, starts at page 1 with the zoom of the settings.
    void previewOpensWhereLeft_data() {
        QTest::addColumn<bool>("store");
        QTest::addColumn<QString>("secondFile");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("zoom");
        QTest::newRow("same report") << true << "/data/a.txt" << 3 << "150";
        QTest::newRow("other report") << true << "/data/b.txt" << 1 << "150";
        QTest::newRow("no store") << false << "/data/a.txt" << 1 << "150";
    }
    void previewOpensWhereLeft() {
        QFETCH(bool, store);
        QFETCH(QString, secondFile);
        QFETCH(int, page);
        QFETCH(QString, zoom);
        ReportPlaces places("Folioscope", "Folioscope");
        const QByteArrayList lines = pages(5);
        {
            TFormPreView first;
            first.FileName = "/data/a.txt";
            first.Lines = &lines;
            first.Places = store ? &places : nullptr;
            first.show();
            first.EditBoxBairitu->setText("150");
            first.ApplyZoom();
            first.CurrentPage = 3;
            first.ShowPage();
            first.reject();
        }
        TFormPreView second;
        second.FileName = secondFile;
        second.Lines = &lines;
        second.Places = store ? &places : nullptr;
        second.show();
        QCOMPARE(second.CurrentPage, page);
        QCOMPARE(second.EditBoxBairitu->text(), zoom); // the settings carry the zoom in a run
        QCOMPARE(places.all().size(), store ? 1 : 0);
    }

    // A remembered fit is in force again: the zoom follows the window's size.
    void fitComesBack() {
        ReportPlaces places("Folioscope", "Folioscope");
        const QByteArrayList lines = pages(2);
        {
            TFormPreView first;
            first.FileName = "/data/a.txt";
            first.Lines = &lines;
            first.Places = &places;
            first.show();
            first.FitZoom(fit_zoom::Fit::Width);
            first.reject();
        }
        QCOMPARE(places.find("/data/a.txt")->fit, 2);
        TFormPreView second;
        second.FileName = "/data/a.txt";
        second.Lines = &lines;
        second.Places = &places;
        second.show();
        const QString fitted = second.EditBoxBairitu->text();
        second.resize(second.width() + 300, second.height());
        QTRY_VERIFY(second.EditBoxBairitu->text().toInt() > fitted.toInt());
    }

private:
    QTemporaryDir dir_;
};

QTEST_MAIN(TestReportPlaces)
#include "tst_ReportPlaces.moc"
