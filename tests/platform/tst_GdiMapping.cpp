// The page space of a device context: map modes, window and viewport, without a painter.

#include <QTest>

#include <limits>

#include "platform/GdiMapping.h"

namespace {

// Device pixels per millimetre, different per axis so that a swapped axis shows.
const QSizeF kPixelsPerMm(4, 5);

enum MapMode { Text = 1, LoMetric, HiMetric, LoEnglish, HiEnglish, Twips, Isotropic, Anisotropic };

} // namespace

class TestGdiMapping : public QObject {
    Q_OBJECT
private slots:
    void mapModesSizeTheLogicalUnit_data() {
        QTest::addColumn<int>("mode");
        // Device pixels one logical unit covers along x and y (y grows upwards in the fixed
        // modes, downwards in MM_TEXT).
        QTest::addColumn<double>("sx");
        QTest::addColumn<double>("sy");
        QTest::newRow("text: one pixel") << int(Text) << 1.0 << 1.0;
        QTest::newRow("lometric: 0.1 mm") << int(LoMetric) << 0.4 << -0.5;
        QTest::newRow("himetric: 0.01 mm") << int(HiMetric) << 0.04 << -0.05;
        QTest::newRow("loenglish: 0.01 in") << int(LoEnglish) << 1.016 << -1.27;
        QTest::newRow("hienglish: 0.001 in") << int(HiEnglish) << 0.1016 << -0.127;
        QTest::newRow("twips: 1/1440 in") << int(Twips) << 25.4 / 1440 * 4 << -25.4 / 1440 * 5;
        // Isotropic starts from 0.1 mm and keeps both axes at the smaller scale.
        QTest::newRow("isotropic: 0.1 mm, square") << int(Isotropic) << 0.4 << -0.4;
        QTest::newRow("anisotropic: extents kept") << int(Anisotropic) << 1.0 << 1.0;
    }
    void mapModesSizeTheLogicalUnit() {
        QFETCH(int, mode);
        QFETCH(double, sx);
        QFETCH(double, sy);
        GdiMapping m;
        QVERIFY(m.setMapMode(mode, kPixelsPerMm));
        QCOMPARE(m.mapMode(), mode);
        m.setWindowOrg(QPointF(10, 20));
        m.setViewportOrg(QPointF(3, 7));
        // The window origin lands on the viewport origin; other points by the unit's size.
        const QTransform t = m.pageTransform();
        QCOMPARE(t.map(QPointF(10, 20)), QPointF(3, 7));
        QCOMPARE(t.map(QPointF(110, 120)), QPointF(3 + 100 * sx, 7 + 100 * sy));
    }

    void extentsScaleTheMapping_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QSizeF>("window");
        QTest::addColumn<QSizeF>("viewport");
        QTest::addColumn<QPointF>("scale");
        QTest::newRow("anisotropic: each axis its own")
            << int(Anisotropic) << QSizeF(1000, 1000) << QSizeF(500, -200) << QPointF(0.5, -0.2);
        QTest::newRow("anisotropic: negative window mirrors")
            << int(Anisotropic) << QSizeF(-100, 100) << QSizeF(100, 100) << QPointF(-1, 1);
        QTest::newRow("isotropic: smaller x scale wins")
            << int(Isotropic) << QSizeF(1000, 1000) << QSizeF(500, -200) << QPointF(0.2, -0.2);
        QTest::newRow("isotropic: smaller y scale wins, signs kept")
            << int(Isotropic) << QSizeF(1000, -500) << QSizeF(300, 600) << QPointF(0.3, -0.3);
        QTest::newRow("isotropic: equal scales")
            << int(Isotropic) << QSizeF(10, 10) << QSizeF(20, 20) << QPointF(2, 2);
    }
    void extentsScaleTheMapping() {
        QFETCH(int, mode);
        QFETCH(QSizeF, window);
        QFETCH(QSizeF, viewport);
        QFETCH(QPointF, scale);
        GdiMapping m;
        QVERIFY(m.setMapMode(mode, kPixelsPerMm));
        QVERIFY(m.setWindowExt(window));
        QVERIFY(m.setViewportExt(viewport));
        QCOMPARE(m.pageTransform().map(QPointF(1, 1)), scale);
        // Scaling the window by 2 halves the mapping along both axes.
        QVERIFY(m.scaleWindowExt(2, 1, 4, 2));
        QCOMPARE(m.pageTransform().map(QPointF(2, 2)), scale);
    }

    void refusedMapModeLeavesTheOneInForce_data() {
        QTest::addColumn<int>("inForce");
        QTest::addColumn<int>("refused");
        QTest::newRow("0 under lometric") << int(LoMetric) << 0;
        QTest::newRow("9 under anisotropic") << int(Anisotropic) << 9;
        QTest::newRow("-1 under isotropic") << int(Isotropic) << -1;
        QTest::newRow("INT_MIN under twips") << int(Twips) << std::numeric_limits<int>::min();
    }
    void refusedMapModeLeavesTheOneInForce() {
        QFETCH(int, inForce);
        QFETCH(int, refused);
        GdiMapping m;
        QVERIFY(m.setMapMode(inForce, kPixelsPerMm));
        if (inForce == Anisotropic || inForce == Isotropic) {
            QVERIFY(m.setWindowExt(QSizeF(300, 200)));
            QVERIFY(m.setViewportExt(QSizeF(60, -80)));
        }
        const QTransform before = m.pageTransform();
        QVERIFY(!m.setMapMode(refused, kPixelsPerMm));
        QCOMPARE(m.mapMode(), inForce);
        QCOMPARE(m.pageTransform(), before);
    }

    void refusedExtentsLeaveTheMappingAsItWas() {
        GdiMapping fixed;
        QVERIFY(fixed.setMapMode(LoMetric, kPixelsPerMm));
        const QTransform metric = fixed.pageTransform();
        QVERIFY(!fixed.setWindowExt(QSizeF(50, 50)));
        QVERIFY(!fixed.setViewportExt(QSizeF(50, 50)));
        QVERIFY(!fixed.scaleWindowExt(2, 1, 2, 1));
        QCOMPARE(fixed.pageTransform(), metric);

        GdiMapping free;
        QVERIFY(free.setMapMode(Anisotropic, kPixelsPerMm));
        QVERIFY(free.setViewportExt(QSizeF(60, -80)));
        const QTransform before = free.pageTransform();
        QVERIFY(!free.setWindowExt(QSizeF(0, 10)));
        QVERIFY(!free.setViewportExt(QSizeF(10, 0)));
        QVERIFY(!free.scaleViewportExt(1, 0, 1, 1));
        QVERIFY(!free.scaleWindowExt(1, 1, 0, 1)); // a zero extent, by scaling
        QCOMPARE(free.pageTransform(), before);
    }

    void switchingModesResetsOrKeepsTheExtents() {
        GdiMapping m;
        QVERIFY(m.setMapMode(Anisotropic, kPixelsPerMm));
        QVERIFY(m.setWindowExt(QSizeF(200, 100)));
        QVERIFY(m.setViewportExt(QSizeF(100, 100)));
        // Anisotropic to isotropic keeps window and viewport: 0.5 and 1, the smaller wins.
        QVERIFY(m.setMapMode(Isotropic, kPixelsPerMm));
        QCOMPARE(m.windowExt(), QSizeF(200, 100));
        QCOMPARE(m.pageTransform().map(QPointF(1, 1)), QPointF(0.5, 0.5));
        // A fixed mode and MM_TEXT bring their own extents.
        QVERIFY(m.setMapMode(HiMetric, kPixelsPerMm));
        QCOMPARE(m.pageTransform().map(QPointF(100, 100)), QPointF(4, -5));
        QVERIFY(m.setMapMode(Text, kPixelsPerMm));
        QCOMPARE(m.pageTransform(), QTransform());
        // Back to isotropic from MM_TEXT: metric tenths again, not the old extents.
        QVERIFY(m.setMapMode(Isotropic, kPixelsPerMm));
        QCOMPARE(m.pageTransform().map(QPointF(10, 10)), QPointF(4, -4));
    }
};

QTEST_GUILESS_MAIN(TestGdiMapping)
#include "tst_GdiMapping.moc"
