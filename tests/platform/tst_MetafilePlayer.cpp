// Playing metafiles built with libuemf's record writers, checked at pixel level.

#include <QBuffer>
#include <QElapsedTimer>
#include <QTest>

#include "platform/Cp932.h"
#include "platform/FontSubstitution.h"
#include "platform/MetafileBuilder.h"
#include "platform/MetafileTestSupport.h"
#include "support/PeakMemory.h"

namespace {

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kGreen = 0xFF00FF00;

U_COLORREF colorRef(QRgb c) {
    return colorref_set(uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c)));
}

// Selects a solid brush of the colour and no pen.
void solidFill(EmfBuilder& b, QRgb color, uint32_t index = 1) {
    b.add(U_EMRCREATEBRUSHINDIRECT_set(index, logbrush_set(U_BS_SOLID, colorRef(color), 0)));
    b.add(U_EMRSELECTOBJECT_set(index));
    b.add(U_EMRSELECTOBJECT_set(U_NULL_PEN));
}

// Advances as a Japanese font gives them: 60 for full-width characters, 30 for the others,
// per code unit of the string as stored (bytes of code page 932, or UTF-16 units).
std::vector<uint32_t> advances(const QString& text, bool bytes) {
    std::vector<uint32_t> out;
    for (const QChar c : text) {
        const bool full =
            c.unicode() >= 0x2000 && !(c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F);
        if (c.unicode() == 0x00D7 || full) {
            if (bytes)
                out.insert(out.end(), {30, 30});
            else
                out.push_back(60);
        } else {
            out.push_back(30);
        }
    }
    return out;
}

bool near(const QRect& actual, const QRect& expected, int slack = 2) {
    return std::abs(actual.left() - expected.left()) <= slack &&
           std::abs(actual.top() - expected.top()) <= slack &&
           std::abs(actual.right() - expected.right()) <= slack &&
           std::abs(actual.bottom() - expected.bottom()) <= slack;
}

#define QVERIFY_NEAR(actual, expected)                                                             \
    QVERIFY2(near(actual, expected), qPrintable(QStringLiteral("got %1,%2 %3x%4")                  \
                                                    .arg(actual.left())                            \
                                                    .arg(actual.top())                             \
                                                    .arg(actual.width())                           \
                                                    .arg(actual.height())))

// Width of the dark run crossing row y.
int runWidth(const QImage& image, int y) {
    int n = 0;
    for (int x = 0; x < image.width(); ++x)
        n += isInk(image.pixel(x, y));
    return n;
}

} // namespace

class TestMetafilePlayer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { font_substitution::install(); }

    void fixedMapModes_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QRect>("logical"); // left, top, right, bottom as x, y, width, height
        QTest::addColumn<QRect>("device");
        // 10 device pixels per millimetre; the picture is 100 mm, the image 1000 pixels.
        QTest::newRow("text") << int(U_MM_TEXT) << QRect(100, 100, 200, 200)
                              << QRect(QPoint(100, 100), QPoint(199, 199));
        QTest::newRow("lometric") << int(U_MM_LOMETRIC) << QRect(100, -100, 200, -200)
                                  << QRect(QPoint(100, 100), QPoint(199, 199));
        QTest::newRow("himetric") << int(U_MM_HIMETRIC) << QRect(1000, -1000, 2000, -2000)
                                  << QRect(QPoint(100, 100), QPoint(199, 199));
        QTest::newRow("loenglish") << int(U_MM_LOENGLISH) << QRect(100, -100, 200, -200)
                                   << QRect(QPoint(254, 254), QPoint(507, 507));
        QTest::newRow("hienglish") << int(U_MM_HIENGLISH) << QRect(1000, -1000, 2000, -2000)
                                   << QRect(QPoint(254, 254), QPoint(507, 507));
        QTest::newRow("twips") << int(U_MM_TWIPS) << QRect(1440, -1440, 2880, -2880)
                               << QRect(QPoint(254, 254), QPoint(507, 507));
    }
    void fixedMapModes() {
        QFETCH(int, mode);
        QFETCH(QRect, logical);
        QFETCH(QRect, device);
        EmfBuilder b;
        b.add(U_EMRSETMAPMODE_set(uint32_t(mode)));
        solidFill(b, kRed);
        b.add(U_EMRRECTANGLE_set(
            emfRect(logical.x(), logical.y(), logical.width(), logical.height())));
        const QImage image = playToImage(b.finish());
        QVERIFY_NEAR(inkBounds(image), device);
    }

    void windowAndViewportScaling() {
        // Anisotropic: window 100 x 100 onto a viewport of 500 x 1000, origins shifted.
        EmfBuilder b;
        b.add(U_EMRSETMAPMODE_set(U_MM_ANISOTROPIC));
        b.add(U_EMRSETWINDOWEXTEX_set(sizel_set(100, 100)));
        b.add(U_EMRSETVIEWPORTEXTEX_set(sizel_set(500, 1000)));
        b.add(U_EMRSETWINDOWORGEX_set(point32_set(10, 0)));
        b.add(U_EMRSETVIEWPORTORGEX_set(point32_set(0, 50)));
        solidFill(b, kRed);
        b.add(U_EMRRECTANGLE_set(emfRect(20, 10, 30, 20)));
        QVERIFY_NEAR(inkBounds(playToImage(b.finish())), QRect(QPoint(50, 150), QPoint(99, 249)));

        // Isotropic keeps the aspect: the smaller scale (5) wins on both axes.
        EmfBuilder iso;
        iso.add(U_EMRSETMAPMODE_set(U_MM_ISOTROPIC));
        iso.add(U_EMRSETWINDOWEXTEX_set(sizel_set(100, 100)));
        iso.add(U_EMRSETVIEWPORTEXTEX_set(sizel_set(500, 1000)));
        solidFill(iso, kRed);
        iso.add(U_EMRRECTANGLE_set(emfRect(10, 10, 20, 20)));
        QVERIFY_NEAR(inkBounds(playToImage(iso.finish())), QRect(QPoint(50, 50), QPoint(99, 99)));

        // ScaleWindowExtEx halves the window: everything doubles. In MM_TEXT it is ignored.
        EmfBuilder scaled;
        scaled.add(U_EMRSETMAPMODE_set(U_MM_ANISOTROPIC));
        scaled.add(U_EMRSETWINDOWEXTEX_set(sizel_set(1000, 1000)));
        scaled.add(U_EMRSETVIEWPORTEXTEX_set(sizel_set(1000, 1000)));
        scaled.add(U_EMRSCALEWINDOWEXTEX_set(1, 2, 1, 2));
        solidFill(scaled, kRed);
        scaled.add(U_EMRRECTANGLE_set(emfRect(100, 100, 200, 200)));
        QVERIFY_NEAR(inkBounds(playToImage(scaled.finish())),
                     QRect(QPoint(200, 200), QPoint(399, 399)));
    }

    void worldTransform() {
        EmfBuilder b;
        solidFill(b, kRed);
        b.add(U_EMRSETWORLDTRANSFORM_set(xform_set(2, 0, 0, 2, 100, 100)));
        b.add(U_EMRRECTANGLE_set(emfRect(0, 0, 50, 50)));
        // Left-multiplying a translation moves in the untransformed units: 2 * (x + 200) + 100.
        b.add(U_EMRMODIFYWORLDTRANSFORM_set(xform_set(1, 0, 0, 1, 200, 0), U_MWT_LEFTMULTIPLY));
        b.add(U_EMRRECTANGLE_set(emfRect(0, 0, 50, 50)));
        const QImage image = playToImage(b.finish());
        QVERIFY_NEAR(inkBounds(image, QRect(0, 0, 300, 1000)),
                     QRect(QPoint(100, 100), QPoint(199, 199)));
        QVERIFY_NEAR(inkBounds(image, QRect(300, 0, 700, 1000)),
                     QRect(QPoint(500, 100), QPoint(599, 199)));
    }

    void saveAndRestoreDC() {
        EmfBuilder b;
        solidFill(b, kRed);
        b.add(U_EMRSAVEDC_set()); // 1: origin 0, red
        b.add(U_EMRSETWINDOWORGEX_set(point32_set(-100, 0)));
        b.add(U_EMRSAVEDC_set()); // 2: origin -100
        b.add(U_EMRSETWINDOWORGEX_set(point32_set(-200, 0)));
        b.add(U_EMRCREATEBRUSHINDIRECT_set(2, logbrush_set(U_BS_SOLID, colorRef(kBlue), 0)));
        b.add(U_EMRSELECTOBJECT_set(2));
        b.add(U_EMRRESTOREDC_set(-1)); // back to 2: origin -100, red
        b.add(U_EMRRECTANGLE_set(emfRect(0, 0, 100, 100)));
        b.add(U_EMRRESTOREDC_set(-5)); // deeper than the stack: ignored
        b.add(U_EMRRECTANGLE_set(emfRect(0, 200, 100, 300)));
        b.add(U_EMRSAVEDC_set());
        b.add(U_EMRSETWINDOWORGEX_set(point32_set(-700, 0)));
        b.add(U_EMRRESTOREDC_set(1)); // absolute: the first saved state, origin 0
        b.add(U_EMRRECTANGLE_set(emfRect(0, 400, 100, 500)));
        const QImage image = playToImage(b.finish());
        QCOMPARE(image.pixel(150, 50), kRed);
        QCOMPARE(image.pixel(150, 250), kRed);
        QCOMPARE(image.pixel(50, 450), kRed);
        QVERIFY(!isInk(image.pixel(150, 450)));
        QCOMPARE(countColor(image, image.rect(), kBlue), 0);
    }

    void cosmeticAndGeometricPens() {
        // Under a 4x scale a width-0 pen stays one pixel; a width-5 pen becomes 20 pixels.
        EmfBuilder b;
        b.add(U_EMRSETMAPMODE_set(U_MM_ANISOTROPIC));
        b.add(U_EMRSETWINDOWEXTEX_set(sizel_set(250, 250)));
        b.add(U_EMRSETVIEWPORTEXTEX_set(sizel_set(1000, 1000)));
        b.add(U_EMRCREATEPEN_set(1, logpen_set(U_PS_SOLID, point32_set(0, 0), colorRef(0))));
        b.add(U_EMRSELECTOBJECT_set(1));
        b.add(U_EMRMOVETOEX_set(point32_set(50, 10)));
        b.add(U_EMRLINETO_set(point32_set(50, 100)));
        b.add(U_EMRCREATEPEN_set(2, logpen_set(U_PS_SOLID, point32_set(5, 0), colorRef(0))));
        b.add(U_EMRSELECTOBJECT_set(2));
        b.add(U_EMRMOVETOEX_set(point32_set(50, 150)));
        b.add(U_EMRLINETO_set(point32_set(50, 240)));
        const QImage image = playToImage(b.finish());
        QCOMPARE(runWidth(image, 200), 1);
        const int geometric = runWidth(image, 800);
        QVERIFY2(geometric >= 19 && geometric <= 21, qPrintable(QString::number(geometric)));
    }

    void nullPenAndDashes() {
        EmfBuilder b;
        b.add(U_EMRSELECTOBJECT_set(U_NULL_PEN));
        b.add(U_EMRMOVETOEX_set(point32_set(100, 100)));
        b.add(U_EMRLINETO_set(point32_set(900, 100)));
        b.add(U_EMRCREATEPEN_set(1, logpen_set(U_PS_DASH, point32_set(0, 0), colorRef(0))));
        b.add(U_EMRSELECTOBJECT_set(1));
        b.add(U_EMRSETBKMODE_set(U_TRANSPARENT));
        b.add(U_EMRMOVETOEX_set(point32_set(100, 300)));
        b.add(U_EMRLINETO_set(point32_set(900, 300)));
        const QImage image = playToImage(b.finish());
        QCOMPARE(runWidth(image, 100), 0);
        const int dashed = runWidth(image, 300);
        QVERIFY2(dashed > 400 && dashed < 750, qPrintable(QString::number(dashed)));
    }

    void hatchedBrush() {
        for (const bool opaque : {false, true}) {
            EmfBuilder b;
            b.add(U_EMRSETBKMODE_set(opaque ? U_OPAQUE : U_TRANSPARENT));
            b.add(U_EMRSETBKCOLOR_set(colorRef(kGreen)));
            b.add(U_EMRCREATEBRUSHINDIRECT_set(
                1, logbrush_set(U_BS_HATCHED, colorRef(kBlue), U_HS_HORIZONTAL)));
            b.add(U_EMRSELECTOBJECT_set(1));
            b.add(U_EMRSELECTOBJECT_set(U_NULL_PEN));
            b.add(U_EMRRECTANGLE_set(emfRect(100, 100, 900, 900)));
            const QImage image = playToImage(b.finish());
            const QRect inside(200, 200, 600, 600);
            const int blue = countColor(image, inside, kBlue);
            // Horizontal lines: whole blue rows, about one row in eight.
            QVERIFY2(blue > 600 * 600 / 12 && blue < 600 * 600 / 5,
                     qPrintable(QString::number(blue)));
            QCOMPARE(countColor(image, QRect(200, 300, 600, 1), kBlue) % 600, 0);
            QCOMPARE(countColor(image, inside, kGreen), opaque ? 600 * 600 - blue : 0);
        }
    }

    void clipping() {
        EmfBuilder b;
        solidFill(b, kRed);
        b.add(U_EMRSAVEDC_set());
        b.add(U_EMRINTERSECTCLIPRECT_set(emfRect(200, 200, 400, 400)));
        b.add(U_EMRRECTANGLE_set(emfRect(0, 0, 500, 500)));
        b.add(U_EMRRESTOREDC_set(-1));
        b.add(U_EMREXCLUDECLIPRECT_set(emfRect(700, 700, 800, 800)));
        b.add(U_EMRRECTANGLE_set(emfRect(600, 600, 900, 900)));
        const QImage image = playToImage(b.finish());
        QVERIFY_NEAR(inkBounds(image, QRect(0, 0, 550, 550)),
                     QRect(QPoint(200, 200), QPoint(399, 399)));
        QCOMPARE(image.pixel(650, 650), kRed);
        QVERIFY(!isInk(image.pixel(750, 750)));
    }

    void callersClipStaysInForce() {
        // The painter's own clip limits the picture, and the picture's clip narrows it further.
        EmfBuilder b;
        solidFill(b, kRed);
        b.add(U_EMRRECTANGLE_set(emfRect(0, 0, 1000, 500)));
        b.add(U_EMRINTERSECTCLIPRECT_set(emfRect(0, 500, 200, 1000)));
        b.add(U_EMRRECTANGLE_set(emfRect(0, 500, 1000, 1000)));
        const Metafile metafile = Metafile::fromBytes(b.finish());
        QImage image(1000, 1000, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setClipRect(QRect(100, 0, 800, 1000));
        MetafilePlayer::play(metafile, painter, QRectF(image.rect()));
        QVERIFY(painter.hasClipping());
        QCOMPARE(painter.clipBoundingRect(), QRectF(100, 0, 800, 1000));
        painter.end();
        QVERIFY_NEAR(inkBounds(image, QRect(0, 0, 1000, 500)),
                     QRect(QPoint(100, 0), QPoint(899, 499)));
        QVERIFY_NEAR(inkBounds(image, QRect(0, 500, 1000, 500)),
                     QRect(QPoint(100, 500), QPoint(199, 999)));
    }

    void clipPath() {
        EmfBuilder b;
        solidFill(b, kRed);
        b.add(U_EMRBEGINPATH_set());
        b.add(U_EMRELLIPSE_set(emfRect(100, 100, 500, 500)));
        b.add(U_EMRENDPATH_set());
        b.add(U_EMRSELECTCLIPPATH_set(U_RGN_COPY));
        b.add(U_EMRRECTANGLE_set(emfRect(0, 0, 1000, 1000)));
        const QImage image = playToImage(b.finish());
        QCOMPARE(image.pixel(300, 300), kRed);
        QVERIFY(!isInk(image.pixel(120, 120))); // corner of the box, outside the ellipse
        QVERIFY_NEAR(inkBounds(image), QRect(QPoint(100, 100), QPoint(499, 499)));
    }

    void arcsFollowTheArcDirection() {
        // Counter-clockwise from the right (3 o'clock) to the top: the upper-right quarter.
        for (const bool clockwise : {false, true}) {
            EmfBuilder b;
            solidFill(b, kRed);
            if (clockwise)
                b.add(U_EMRSETARCDIRECTION_set(U_AD_CLOCKWISE));
            b.add(U_EMRPIE_set(emfRect(100, 100, 900, 900), point32_set(900, 500),
                               point32_set(500, 100)));
            const QImage image = playToImage(b.finish());
            QCOMPARE(image.pixel(650, 350) == kRed, !clockwise);
            QCOMPARE(image.pixel(350, 650) == kRed, clockwise);
        }
    }

    void textAlignment() {
        // "H" with an advance of 70 at (500, 500) under each alignment; the font's ascent and
        // descent separate the vertical cases.
        auto inkFor = [](uint align) {
            EmfBuilder b;
            b.add(emfFont(1, -100, QStringLiteral("IPAGothic")));
            b.add(U_EMRSELECTOBJECT_set(1));
            b.add(U_EMRSETBKMODE_set(U_TRANSPARENT));
            b.add(U_EMRSETTEXTALIGN_set(align));
            b.add(emfText(500, 500, utf16Units(QStringLiteral("H")), 2, {70}));
            return inkBounds(playToImage(b.finish()));
        };
        QFont font(QStringLiteral("IPAGothic"));
        font.setPixelSize(100);
        font.setHintingPreference(QFont::PreferNoHinting);
        const QFontMetricsF fm(font);

        const QRect topLeft = inkFor(U_TA_TOP | U_TA_LEFT);
        const QRect baselineRight = inkFor(U_TA_BASELINE | U_TA_RIGHT);
        const QRect bottomCentre = inkFor(U_TA_BOTTOM | U_TA_CENTER);
        QVERIFY(!topLeft.isEmpty() && !baselineRight.isEmpty() && !bottomCentre.isEmpty());
        // Horizontal: the 70-unit advance box starts at, ends at, or is centred on x = 500.
        QVERIFY(topLeft.left() >= 500 && topLeft.right() < 570);
        QVERIFY(baselineRight.left() >= 430 && baselineRight.right() <= 500);
        QVERIFY(bottomCentre.left() >= 465 && bottomCentre.right() <= 535);
        QVERIFY(std::abs(bottomCentre.left() - (topLeft.left() - 35)) <= 1);
        // Vertical: top is an ascent below the baseline case, bottom a descent above it.
        QVERIFY(std::abs(topLeft.bottom() - baselineRight.bottom() - fm.ascent()) <= 1.5);
        QVERIFY(std::abs(baselineRight.bottom() - bottomCentre.bottom() - fm.descent()) <= 1.5);
        QVERIFY(baselineRight.bottom() <= 500 && baselineRight.bottom() > 480);
    }

    void dxSpacing() {
        // Two characters with advances of 300: the second is drawn 300 pixels on.
        EmfBuilder b;
        b.add(emfFont(1, -100, QStringLiteral("IPAGothic")));
        b.add(U_EMRSELECTOBJECT_set(1));
        b.add(emfText(100, 100, utf16Units(QStringLiteral("HH")), 2, {300, 300}));
        // A byte string: the double-byte character advances by the sum of its two entries.
        b.add(emfText(100, 500, cp932::encode(QStringLiteral("梁H")), 1, {100, 200, 50}));
        const QImage image = playToImage(b.finish());
        const QRect first = inkBounds(image, QRect(0, 0, 300, 400));
        const QRect second = inkBounds(image, QRect(300, 0, 700, 400));
        QVERIFY(!first.isEmpty() && !second.isEmpty());
        QVERIFY(std::abs(second.left() - first.left() - 300) <= 1);
        const QRect kanji = inkBounds(image, QRect(0, 450, 350, 200));
        const QRect latin = inkBounds(image, QRect(350, 450, 600, 200));
        QVERIFY(!kanji.isEmpty());
        QVERIFY2(std::abs(latin.left() - first.left() - 300) <= 1,
                 qPrintable(QString::number(latin.left())));
    }

    void opaqueAndClippedTextRectangles() {
        EmfBuilder b;
        b.add(emfFont(1, -200, QStringLiteral("IPAGothic")));
        b.add(U_EMRSELECTOBJECT_set(1));
        b.add(U_EMRSETBKCOLOR_set(colorRef(kGreen)));
        {
            // ETO_OPAQUE fills the rectangle with the background colour; ETO_CLIPPED cuts the
            // glyphs at its edge.
            std::vector<uint32_t> dx{200, 200, 200};
            QByteArray units = utf16Units(QStringLiteral("HHH"));
            char* text =
                emrtext_set(point32_set(100, 100), 3, 2, units.data(), U_ETO_OPAQUE | U_ETO_CLIPPED,
                            emfRect(100, 100, 400, 300), dx.data());
            b.add(U_EMREXTTEXTOUTW_set(emfRect(0, 0, 0, 0), U_GM_COMPATIBLE, 1, 1,
                                       reinterpret_cast<PU_EMRTEXT>(text)));
            std::free(text);
        }
        const QImage image = playToImage(b.finish());
        QCOMPARE(image.pixel(105, 290), kGreen);
        QVERIFY_NEAR(inkBounds(image), QRect(QPoint(100, 100), QPoint(399, 299)));
    }

    void cp932LabelInWmf() {
        WmfBuilder b(QRect(0, 0, 1000, 500), 254);
        b.add(U_WMRSETMAPMODE_set(U_MM_ANISOTROPIC));
        b.add(U_WMRSETWINDOWORG_set(wmfPoint(0, 0)));
        b.add(U_WMRSETWINDOWEXT_set(wmfPoint(1000, 500)));
        QByteArray face = cp932::encode(QStringLiteral("ＭＳ 明朝"));
        U_FONT* font =
            U_FONT_set(-60, 0, 0, 0, 400, 0, 0, 0, U_SHIFTJIS_CHARSET, 0, 0, 0, 0, face.data());
        b.add(U_WMRCREATEFONTINDIRECT_set(font));
        std::free(font);
        b.add(U_WMRSELECTOBJECT_set(0));
        QByteArray label = cp932::encode(QStringLiteral("梁 B1 300×600"));
        b.add(U_WMRTEXTOUT_set(wmfPoint(100, 100), label.data()));
        QByteArray second = cp932::encode(QStringLiteral("柱 C1 ｺﾝｸﾘｰﾄ"));
        std::vector<int16_t> dx(size_t(second.size()), 30);
        b.add(U_WMREXTTEXTOUT_set(wmfPoint(100, 300), int16_t(second.size()), 0, second.data(),
                                  dx.data(), wmfRect(0, 0, 0, 0)));
        const QString text = simplifiedText(pdfText(Metafile::fromBytes(b.finish())));
        QVERIFY2(text.contains(QStringLiteral("梁 B1 300×600")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("柱 C1 ｺﾝｸﾘｰﾄ")), qPrintable(text));
    }

    void cp932AndUtf16LabelsInEmf() {
        EmfBuilder b;
        b.add(emfFont(1, -60, QStringLiteral("ＭＳ ゴシック")));
        b.add(U_EMRSELECTOBJECT_set(1));
        const QString beam = QStringLiteral("梁 B1 300×600");
        const QString column = QStringLiteral("柱 C1 ｺﾝｸﾘｰﾄ");
        b.add(emfText(100, 100, cp932::encode(beam), 1, advances(beam, true)));
        b.add(emfText(100, 300, utf16Units(column), 2, advances(column, false)));
        const QString text = simplifiedText(pdfText(Metafile::fromBytes(b.finish())));
        QVERIFY2(text.contains(QStringLiteral("梁 B1 300×600")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("柱 C1 ｺﾝｸﾘｰﾄ")), qPrintable(text));
    }

    void smallTextOut() {
        EmfBuilder b;
        b.add(emfFont(1, -60, QStringLiteral("IPAGothic")));
        b.add(U_EMRSELECTOBJECT_set(1));
        const QString wide = QStringLiteral("梁 B1");
        b.add(U_EMRSMALLTEXTOUT_set(point32_set(100, 100), uint32_t(wide.size()), U_ETO_NO_RECT,
                                    U_GM_COMPATIBLE, 1, 1, emfRect(0, 0, 0, 0),
                                    reinterpret_cast<const char*>(wide.utf16())));
        b.add(U_EMRSMALLTEXTOUT_set(point32_set(100, 300), 5, U_ETO_NO_RECT | U_ETO_SMALL_CHARS,
                                    U_GM_COMPATIBLE, 1, 1, emfRect(0, 0, 0, 0), "Small"));
        const QString text = simplifiedText(pdfText(Metafile::fromBytes(b.finish())));
        QVERIFY2(text.contains(QStringLiteral("梁 B1")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Small")), qPrintable(text));
    }

    void ansiCharsetIsWindows1252() {
        EmfBuilder b;
        b.add(emfFont(1, -60, QStringLiteral("IPAGothic"), 0));
        b.add(U_EMRSELECTOBJECT_set(1));
        b.add(emfText(100, 100, QByteArray("Caf\xE9 \x80 5"), 1, std::vector<uint32_t>(8, 30)));
        const QString text = simplifiedText(pdfText(Metafile::fromBytes(b.finish())));
        QVERIFY2(text.contains(QStringLiteral("Café € 5")), qPrintable(text));
    }

    void dibRecords() {
        // A bottom-up 2 x 2 DIB: the first row stored is the bottom one.
        // Stored rows: (blue, white) then (red, green): top-left red, bottom-left blue.
        const char pixels[16] = {'\xFF', 0, 0,      '\xFF', '\xFF', '\xFF', 0, 0,  // blue, white
                                 0,      0, '\xFF', 0,      '\xFF', 0,      0, 0}; // red, green
        U_BITMAPINFOHEADER header = bitmapinfoheader_set(2, 2, 1, 24, U_BI_RGB, 16, 0, 0, 0, 0);
        PU_BITMAPINFO bmi = bitmapinfo_set(header, nullptr);
        for (const bool inverted : {false, true}) {
            EmfBuilder b;
            b.add(U_EMRSTRETCHDIBITS_set(
                emfRect(0, 0, 0, 0), point32_set(100, 100), point32_set(400, 400),
                point32_set(0, 0), point32_set(2, 2), U_DIB_RGB_COLORS,
                inverted ? U_NOTSRCCOPY : U_SRCCOPY, bmi, 16, const_cast<char*>(pixels)));
            const QImage image = playToImage(b.finish());
            const QRgb red = inverted ? qRgb(0, 255, 255) : kRed;
            const QRgb blue = inverted ? qRgb(255, 255, 0) : kBlue;
            QCOMPARE(image.pixel(200, 200), red);
            QCOMPARE(image.pixel(200, 400), blue);
            QCOMPARE(image.pixel(400, 200), inverted ? qRgb(255, 0, 255) : kGreen);
            QVERIFY(!isInk(image.pixel(90, 90)));
        }
        // The same picture through the WMF record, stretched into the lower half.
        WmfBuilder w(QRect(0, 0, 1000, 1000), 254);
        w.add(U_WMRSTRETCHDIB_set(wmfPoint(0, 500), wmfPoint(1000, 500), wmfPoint(0, 0),
                                  wmfPoint(2, 2), U_DIB_RGB_COLORS, U_SRCCOPY, bmi, 16, pixels));
        const QImage image = playToImage(w.finish(), QSize(100, 100));
        QCOMPARE(image.pixel(25, 60), kRed);
        QCOMPARE(image.pixel(25, 90), kBlue);
        QVERIFY(!isInk(image.pixel(50, 30)));
        std::free(bmi);
    }

    // A JPEG inside a DIB record is drawn; one whose header claims far more blocks than it
    // has bytes for is skipped instead of being decoded from padding.
    void jpegDibs() {
        QImage red(64, 64, QImage::Format_RGB32);
        red.fill(kRed);
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(red.save(&buffer, "JPG", 95));
        QByteArray lying = jpeg;
        const qsizetype sof = lying.indexOf(QByteArray("\xFF\xC0", 2));
        QVERIFY(sof > 0);
        for (int i : {5, 7}) { // 8000 x 8000
            lying[sof + i] = char(8000 >> 8);
            lying[sof + i + 1] = char(8000 & 0xFF);
        }
        for (const bool lies : {false, true}) {
            const QByteArray& data = lies ? lying : jpeg;
            const int side = lies ? 8000 : 64;
            U_BITMAPINFOHEADER header = bitmapinfoheader_set(side, side, 1, 0, U_BI_JPEG,
                                                             uint32_t(data.size()), 0, 0, 0, 0);
            PU_BITMAPINFO bmi = bitmapinfo_set(header, nullptr);
            EmfBuilder b;
            b.add(U_EMRSTRETCHDIBITS_set(emfRect(0, 0, 0, 0), point32_set(100, 100),
                                         point32_set(400, 400), point32_set(0, 0),
                                         point32_set(side, side), U_DIB_RGB_COLORS, U_SRCCOPY, bmi,
                                         uint32_t(data.size()), const_cast<char*>(data.data())));
            std::free(bmi);
            const QImage image = playToImage(b.finish());
            QCOMPARE(isInk(image.pixel(300, 300)), !lies);
            if (!lies)
                QVERIFY(qRed(image.pixel(300, 300)) > 230 && qGreen(image.pixel(300, 300)) < 30);
        }
    }

    // An RLE8 DIB is drawn; one whose stream is cut short is skipped before its claimed size
    // is allocated (a 1 KB stream claiming 1,114,239 x 64 pixels took 285 MB).
    void rleDibs() {
        const QByteArray row("\x04\x01\x00\x00", 4); // four pixels of entry 1, end of line
        const QByteArray sound = row + QByteArray("\x04\x01\x00\x01", 4);
        const QByteArray cut = QByteArray("\xFF\x01", 2).repeated(500) + '\xFF';
        const struct {
            const char* name;
            QByteArray stream;
            int width, height;
            bool drawn;
        } cases[] = {{"sound", sound, 4, 2, true},
                     {"cut short", row, 4, 2, false},
                     {"cut short, claiming 285 MB", cut, 1114239, 64, false}};
        U_RGBQUAD palette[2] = {rgbquad_set(255, 255, 255, 0), rgbquad_set(255, 0, 0, 0)};
        for (const auto& c : cases) {
            U_BITMAPINFOHEADER header = bitmapinfoheader_set(c.width, c.height, 1, 8, U_BI_RLE8,
                                                             uint32_t(c.stream.size()), 0, 0, 2, 0);
            PU_BITMAPINFO bmi = bitmapinfo_set(header, palette);
            EmfBuilder b;
            b.add(U_EMRSTRETCHDIBITS_set(
                emfRect(0, 0, 0, 0), point32_set(100, 100), point32_set(400, 400),
                point32_set(0, 0), point32_set(c.width, c.height), U_DIB_RGB_COLORS, U_SRCCOPY, bmi,
                uint32_t(c.stream.size()), const_cast<char*>(c.stream.data())));
            std::free(bmi);
            const QImage image = playToImage(b.finish());
            QVERIFY2(image.pixel(300, 450) == (c.drawn ? kRed : qRgb(255, 255, 255)), c.name);
        }
    }

    void polygonFillModes() {
        // Two overlapping squares in one poly-polygon, both drawn clockwise.
        const U_POINTL points[8] = {{100, 100}, {600, 100}, {600, 600}, {100, 600},
                                    {300, 300}, {800, 300}, {800, 800}, {300, 800}};
        const uint32_t counts[2] = {4, 4};
        for (const uint32_t mode : {uint32_t(U_ALTERNATE), uint32_t(U_WINDING)}) {
            EmfBuilder b;
            solidFill(b, kRed);
            b.add(U_EMRSETPOLYFILLMODE_set(mode));
            b.add(U_EMRPOLYPOLYGON_set(emfRect(0, 0, 0, 0), 2, counts, 8, points));
            const QImage image = playToImage(b.finish());
            QCOMPARE(image.pixel(200, 200), kRed);
            QCOMPARE(image.pixel(450, 450) == kRed, mode == U_WINDING);
        }
    }

    void filledPath() {
        EmfBuilder b;
        solidFill(b, kBlue);
        b.add(U_EMRBEGINPATH_set());
        b.add(U_EMRMOVETOEX_set(point32_set(100, 100)));
        const U_POINTL triangle[2] = {{900, 100}, {100, 900}};
        b.add(U_EMRPOLYLINETO_set(emfRect(0, 0, 0, 0), 2, triangle));
        b.add(U_EMRCLOSEFIGURE_set());
        b.add(U_EMRENDPATH_set());
        b.add(U_EMRFILLPATH_set(emfRect(0, 0, 0, 0)));
        const QImage image = playToImage(b.finish());
        QCOMPARE(image.pixel(200, 200), kBlue);
        QVERIFY(!isInk(image.pixel(800, 800)));
        QVERIFY_NEAR(inkBounds(image), QRect(QPoint(100, 100), QPoint(899, 899)));
    }

    void fontHeightsAndEscapement() {
        auto inkOf = [](int height, int escapement) {
            EmfBuilder b;
            b.add(emfFont(1, height, QStringLiteral("IPAGothic"), 128, escapement));
            b.add(U_EMRSELECTOBJECT_set(1));
            b.add(U_EMRSETTEXTALIGN_set(U_TA_BASELINE));
            b.add(emfText(500, 500, utf16Units(QStringLiteral("HHHH")), 2, {70, 70, 70, 70}));
            return inkBounds(playToImage(b.finish()));
        };
        // A positive height is the cell (em plus internal leading): smaller glyphs.
        QFont font(QStringLiteral("IPAGothic"));
        font.setPixelSize(100);
        const QFontMetricsF fm(font);
        const double ratio = double(inkOf(100, 0).height()) / inkOf(-100, 0).height();
        QVERIFY2(std::abs(ratio - 100 / (fm.ascent() + fm.descent())) < 0.03,
                 qPrintable(QString::number(ratio)));
        // 90 degrees counter-clockwise: the run goes up the page from the reference point.
        const QRect upright = inkOf(-100, 900);
        // Three advances of 70 plus one glyph along the run, the cap height across it.
        QVERIFY(upright.height() > 230 && upright.height() < 290 && upright.width() < 100);
        QVERIFY(upright.bottom() <= 500 && upright.top() < 300);
    }

    void extremeEscapementIsOneTurnModulo() {
        // INT_MIN tenths of a degree is -848 after whole turns; negating it must not overflow.
        auto inkOf = [](int escapement) {
            EmfBuilder b;
            b.add(emfFont(1, -100, QStringLiteral("IPAGothic"), 128, escapement));
            b.add(U_EMRSELECTOBJECT_set(1));
            b.add(U_EMRSETTEXTALIGN_set(U_TA_BASELINE));
            b.add(emfText(500, 500, utf16Units(QStringLiteral("HHHH")), 2, {70, 70, 70, 70}));
            return inkBounds(playToImage(b.finish()));
        };
        QCOMPARE(inkOf(INT_MIN), inkOf(-848));
        QCOMPARE(inkOf(INT_MAX), inkOf(INT_MAX % 3600));
    }

    void hugeTextIsFilledAsOutlines() {
        // Glyphs of 1200 and 3600 pixels (the second beyond the raster glyph cache) cover the
        // same part of the picture, scaled.
        auto inkOf = [](int height) {
            EmfBuilder b;
            b.add(emfFont(1, -height, QStringLiteral("IPAGothic")));
            b.add(U_EMRSELECTOBJECT_set(1));
            b.add(U_EMRSETTEXTALIGN_set(U_TA_BASELINE));
            b.add(emfText(0, height / 2, utf16Units(QStringLiteral("H")), 2, {}));
            return inkBounds(playToImage(b.finish(), QSize(4000, 4000)));
        };
        const QRect normal = inkOf(300), outlined = inkOf(900);
        QVERIFY(!normal.isNull() && !outlined.isNull());
        QVERIFY2(std::abs(outlined.width() - 3 * normal.width()) < 30,
                 qPrintable(QStringLiteral("%1 %2").arg(normal.width()).arg(outlined.width())));
    }

    void absurdSizesCostBoundedTimeAndMemory_data() {
        QTest::addColumn<QByteArray>("bytes");
        // Text 100000 units high in MM_TEXT: 100000 target pixels.
        EmfBuilder hugeFont;
        hugeFont.add(emfFont(1, 100000, QStringLiteral("IPAGothic")));
        hugeFont.add(U_EMRSELECTOBJECT_set(1));
        hugeFont.add(emfText(10, 10, utf16Units(QStringLiteral("H\u3042\uE000")), 2, {}));
        QTest::newRow("font height 100000") << hugeFont.finish();
        EmfBuilder missing;
        missing.add(emfFont(1, 100000, QStringLiteral("NoSuchFace"), 0));
        missing.add(U_EMRSELECTOBJECT_set(1));
        missing.add(
            emfText(0, 0, utf16Units(QStringLiteral("\uE000\uE001\uE002\U0001F600")), 2, {}));
        QTest::newRow("missing glyphs") << missing.finish();
        // A window of one unit onto a viewport of 60000 pixels: every unit is 60000 pixels.
        EmfBuilder hugeScale;
        hugeScale.add(U_EMRSETMAPMODE_set(U_MM_ANISOTROPIC));
        hugeScale.add(U_EMRSETWINDOWEXTEX_set(sizel_set(1, 1)));
        hugeScale.add(U_EMRSETVIEWPORTEXTEX_set(sizel_set(60000, 60000)));
        hugeScale.add(emfFont(1, -1, QStringLiteral("IPAGothic")));
        hugeScale.add(U_EMRSELECTOBJECT_set(1));
        hugeScale.add(emfText(0, 0, utf16Units(QStringLiteral("\u6881B1")), 2, {}));
        PU_EXTLOGPEN pen = extlogpen_set(U_PS_GEOMETRIC | U_PS_SOLID, 100, U_BS_SOLID,
                                         colorref_set(0, 0, 0), 0, 0, nullptr);
        hugeScale.add(U_EMREXTCREATEPEN_set(2, nullptr, 0, nullptr, pen));
        std::free(pen);
        hugeScale.add(U_EMRSELECTOBJECT_set(2));
        hugeScale.add(U_EMRRECTANGLE_set(emfRect(0, 0, 100, 100)));
        QTest::newRow("unit of 60000 pixels") << hugeScale.finish();
        // A region record with no region data (size 0) whose bytes after it give a count of
        // four billion rectangles: the count belongs to no region.
        EmfBuilder emptyRegion;
        solidFill(emptyRegion, kRed);
        std::vector<quint32> paintRegion(92, 0); // 368 bytes, as the fuzzer wrote it
        const quint32 fields[] = {U_EMR_PAINTRGN,  368, 3, quint32(-198), 75, 0,
                                  0 /* no data */, 400, 0, 570491395};
        std::copy(std::begin(fields), std::end(fields), paintRegion.begin());
        char* record = static_cast<char*>(std::malloc(368));
        std::memcpy(record, paintRegion.data(), 368);
        emptyRegion.add(record);
        QTest::newRow("region of no bytes") << emptyRegion.finish();
    }
    void absurdSizesCostBoundedTimeAndMemory() {
        QFETCH(QByteArray, bytes);
        // Played onto a page-sized image the way the preview paints (72 dpi A4).
        const qint64 before = peakResidentKb();
        QElapsedTimer timer;
        timer.start();
        {
            // Scaled slightly differently across and down, as the preview's page picture is.
            const Metafile metafile = Metafile::fromBytes(bytes);
            QImage image(QSize(600, 850), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.scale(0.7, 0.71);
            MetafilePlayer::play(metafile, painter, QRectF(0, 0, 842, 1190));
        }
        const qint64 grown = peakResidentKb() - before;
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY2(grown < 200 * 1024, qPrintable(QStringLiteral("%1 KB").arg(grown)));
    }

    // A figure found by fuzzing: a map mode GDI refuses (35), a viewport of (564, 1526727079)
    // and a font 199 high and 16,777,304 wide. Its glyphs, 40 times wider than high, crashed
    // Qt's glyph rasteriser when the page was shown at 31 % or less (a replay scale below
    // 0.04). Played at the scales of the preview's zoom, fit and thumbnails, and onto a PDF.
    void extremeTextTransformIsDrawnAtEveryScale_data() {
        QTest::addColumn<double>("scale");
        for (double scale : {0.01, 0.03, 0.039, 0.1, 0.31, 1.0, 4.0})
            QTest::addRow("scale %g", scale) << scale;
    }
    void extremeTextTransformIsDrawnAtEveryScale() {
        QFETCH(double, scale);
        uint16_t face[U_LF_FACESIZE] = {'I', 'P', 'A', 'G', 'o', 't', 'h', 'i', 'c'};
        const U_LOGFONT wide =
            logfont_set(-199, 16777304, 0, 0, 400, 0, 0, 0, 128, 0, 0, 0, 0, face);
        EmfBuilder b;
        b.add(U_EMRSETMAPMODE_set(35));
        b.add(U_EMRSETVIEWPORTEXTEX_set(sizel_set(564, 1526727079)));
        b.add(U_EMREXTCREATEFONTINDIRECTW_set(1, reinterpret_cast<const char*>(&wide), nullptr));
        b.add(U_EMRSELECTOBJECT_set(1));
        b.add(emfText(100, 300, utf16Units(QStringLiteral("H\u3042W")), 2, {}));
        b.add(emfText(100, 600, utf16Units(QStringLiteral("HHHH")), 2, {60, 60, 60, 60}));
        const Metafile metafile = Metafile::fromBytes(b.finish());
        QImage image(QSize(qMax(1, int(1000 * scale)), qMax(1, int(1000 * scale))),
                     QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.scale(scale, scale);
            MetafilePlayer::play(metafile, painter, QRectF(0, 0, 1000, 1000));
        }
        // The map mode in force stays MM_TEXT: the viewport extent is ignored and the text
        // starts at its reference point, drawn (as outlines) to the right of it.
        const QRect ink = inkBounds(image);
        QVERIFY(!ink.isNull());
        QVERIFY2(ink.left() >= int(90 * scale) - 1,
                 qPrintable(QStringLiteral("%1").arg(ink.left())));
    }

    void placeableWmfFillsTheTarget() {
        // A window that differs from the bounding box is scaled onto the same rectangle.
        WmfBuilder b(QRect(0, 0, 1000, 1000), 254);
        b.add(U_WMRSETMAPMODE_set(U_MM_ANISOTROPIC));
        b.add(U_WMRSETWINDOWORG_set(wmfPoint(0, 0)));
        b.add(U_WMRSETWINDOWEXT_set(wmfPoint(100, 100)));
        b.add(U_WMRCREATEBRUSHINDIRECT_set(U_WLOGBRUSH_set(U_BS_SOLID, colorRef(kRed), 0)));
        b.add(U_WMRSELECTOBJECT_set(0));
        b.add(U_WMRRECTANGLE_set(wmfRect(50, 50, 100, 100)));
        const QImage image = playToImage(b.finish(), QSize(400, 400));
        QCOMPARE(image.pixel(300, 300), kRed);
        QVERIFY(!isInk(image.pixel(150, 150)));
    }
};

QTEST_MAIN(TestMetafilePlayer)
#include "tst_MetafilePlayer.moc"
