// A remembered window rectangle put back on the screens there are now.

#include <QtTest>

#include "ui/WindowPlacement.h"

class TestWindowPlacement : public QObject {
    Q_OBJECT
private slots:
    void keptOnScreen_data() {
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<QRect>("expected");
        const QRect left(0, 0, 1280, 1024), right(1280, 0, 1920, 1080);
        QTest::newRow("inside stays")
            << QRect(100, 100, 700, 800) << QList{left} << QRect(100, 100, 700, 800);
        QTest::newRow("past the right edge moves in")
            << QRect(1000, 100, 700, 800) << QList{left} << QRect(580, 100, 700, 800);
        QTest::newRow("above the top moves down")
            << QRect(100, -300, 700, 800) << QList{left} << QRect(100, 0, 700, 800);
        QTest::newRow("larger than the screen shrinks")
            << QRect(-50, -50, 2000, 2000) << QList{left} << QRect(0, 0, 1280, 1024);
        QTest::newRow("a screen gone: onto the first")
            << QRect(3500, 200, 700, 800) << QList{left} << QRect(580, 200, 700, 800);
        QTest::newRow("the screen it overlaps most")
            << QRect(1200, 100, 700, 800) << QList{left, right} << QRect(1280, 100, 700, 800);
        QTest::newRow("second screen kept")
            << QRect(2000, 100, 700, 800) << QList{left, right} << QRect(2000, 100, 700, 800);
        QTest::newRow("no screens: as remembered")
            << QRect(5000, 5000, 700, 800) << QList<QRect>{} << QRect(5000, 5000, 700, 800);
    }
    void keptOnScreen() {
        QFETCH(QRect, rect);
        QFETCH(QList<QRect>, screens);
        QFETCH(QRect, expected);
        QCOMPARE(window_placement::keptOnScreen(rect, screens), expected);
    }
};

QTEST_APPLESS_MAIN(TestWindowPlacement)
#include "tst_WindowPlacement.moc"
