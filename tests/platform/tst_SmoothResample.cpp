#include <QTest>

#include "platform/SmoothResample.h"

#include <QRandomGenerator>

#include <cmath>

namespace {

using Grid = QList<QList<int>>;

// A 24-bit image whose red, green and blue channels are the three grids.
QImage image(const Grid& r, const Grid& g, const Grid& b) {
    QImage result(int(r[0].size()), int(r.size()), QImage::Format_RGB888);
    for (int y = 0; y < result.height(); ++y)
        for (int x = 0; x < result.width(); ++x)
            result.setPixel(x, y, qRgb(r[y][x], g[y][x], b[y][x]));
    return result;
}

Grid channel(const QImage& image, int (*component)(QRgb)) {
    Grid grid;
    for (int y = 0; y < image.height(); ++y) {
        QList<int> row;
        for (int x = 0; x < image.width(); ++x)
            row.append(component(image.pixel(x, y)));
        grid.append(row);
    }
    return grid;
}

// The resampling written out plainly, every pixel in extended precision, for comparison
// with the optimised one on sizes whose fractions are not exact in binary.
QImage reference(const QImage& source, int width, int height) {
    const int ws = source.width(), hs = source.height();
    const long double sx = static_cast<long double>(ws) / width;
    const long double sy = static_cast<long double>(hs) / height;
    QImage result(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        const long double v = (y + 0.5L) * sy - 0.5L;
        const long double t = std::floor(v);
        const long double fy = v - t;
        const int upper = t < 0 ? 0 : int(t);
        const int lower = t + 1 <= hs - 1 ? int(t) + 1 : hs - 1;
        for (int x = 0; x < width; ++x) {
            const long double u = (x + 0.5L) * sx - 0.5L;
            const long double s = std::floor(u);
            const long double fx = u - s;
            const int left = s < 0 ? 0 : int(s);
            const int right = s + 1 <= ws - 1 ? int(s) + 1 : ws - 1;
            int out[3];
            for (int c = 0; c < 3; ++c) {
                auto at = [&](int px, int py) { return int(source.constScanLine(py)[3 * px + c]); };
                const int p00 = at(left, upper), p01 = at(right, upper);
                const int p10 = at(left, lower), p11 = at(right, lower);
                out[c] = int(std::lrint(p00 + (p01 - p00) * fx + (p10 - p00) * fy +
                                        (p11 - p01 - p10 + p00) * fx * fy));
            }
            result.setPixel(x, y, qRgb(out[0], out[1], out[2]));
        }
    }
    return result;
}

QImage randomImage(int width, int height, quint32 seed) {
    QRandomGenerator random(seed);
    QImage result(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width * 3; ++x)
            result.scanLine(y)[x] = uchar(random.bounded(256));
    return result;
}

} // namespace

class TestSmoothResample : public QObject {
    Q_OBJECT
private slots:
    // 2 × 2 to 4 × 4: scale 0.5, so the fractions are 0.75, 0.25, 0.75, 0.25 and the outer
    // columns and rows clamp to the edge. Red hits exact halves: at (1, 0) it is
    // 0 + 2 × 0.25 = 0.5, rounded to 0; at (2, 0) 2 × 0.75 = 1.5, rounded to 2; at (1, 1)
    // 0 + 2 × 0.25 + 4 × 0.25 = 1.5, rounded to 2.
    void twoByTwoToFourByFour() {
        const QImage source = image({{0, 2}, {4, 6}}, {{10, 30}, {50, 70}}, {{1, 3}, {200, 255}});
        const QImage result = SmoothResample(source, 4, 4);
        QCOMPARE(result.format(), QImage::Format_RGB888);
        QCOMPARE(result.size(), QSize(4, 4));
        QCOMPARE(channel(result, qRed),
                 (Grid{{0, 0, 2, 2}, {1, 2, 2, 3}, {3, 4, 4, 5}, {4, 4, 6, 6}}));
        QCOMPARE(channel(result, qGreen),
                 (Grid{{10, 15, 25, 30}, {20, 25, 35, 40}, {40, 45, 55, 60}, {50, 55, 65, 70}}));
        QCOMPARE(
            channel(result, qBlue),
            (Grid{{1, 2, 2, 3}, {51, 55, 62, 66}, {150, 161, 182, 192}, {200, 214, 241, 255}}));
    }

    // 4 × 4 to 2 × 2: every target pixel is the mean of a 2 × 2 block, a half when the
    // block sum is odd: (0 + 1 + 4 + 5) / 4 = 2.5 gives 2, (1 + 2 + 5 + 6) / 4 = 3.5 gives 4.
    void fourByFourToTwoByTwo() {
        const Grid r{{0, 1, 2, 3}, {4, 5, 6, 7}, {8, 9, 10, 11}, {12, 13, 14, 15}};
        const Grid g{{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}};
        const QImage result = SmoothResample(image(r, g, r), 2, 2);
        QCOMPARE(channel(result, qRed), (Grid{{2, 4}, {10, 12}}));
        QCOMPARE(channel(result, qGreen), (Grid{{4, 6}, {12, 14}}));
    }

    // 3 × 1 to 1 × 1: the one target centre falls exactly on the middle source pixel.
    void threeByOneToOne() {
        const QImage result =
            SmoothResample(image({{10, 20, 30}}, {{0, 255, 0}}, {{7, 8, 9}}), 1, 1);
        QCOMPARE(result.size(), QSize(1, 1));
        QCOMPARE(result.pixel(0, 0), qRgb(20, 255, 8));
    }

    void onePixelSourceFillsTheTarget() {
        const QImage result = SmoothResample(image({{200}}, {{100}}, {{3}}), 5, 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                QCOMPARE(result.pixel(x, y), qRgb(200, 100, 3));
    }

    void otherSourceFormatsAreConverted() {
        const QImage source = randomImage(7, 5, 1);
        QCOMPARE(SmoothResample(source.convertToFormat(QImage::Format_RGB32), 11, 9),
                 SmoothResample(source, 11, 9));
    }

    // Sizes whose scale factors are not exact in binary, up and down: the fast path must
    // round exactly as the extended-precision formula does.
    void matchesExtendedPrecision_data() {
        QTest::addColumn<QSize>("from");
        QTest::addColumn<QSize>("to");
        QTest::newRow("7x5 up to 13x11") << QSize(7, 5) << QSize(13, 11);
        QTest::newRow("13x11 down to 5x3") << QSize(13, 11) << QSize(5, 3);
        QTest::newRow("3x3 up to 10x10") << QSize(3, 3) << QSize(10, 10);
        QTest::newRow("40x30 up to 80x60") << QSize(40, 30) << QSize(80, 60);
        QTest::newRow("97x61 to 203x47") << QSize(97, 61) << QSize(203, 47);
    }
    void matchesExtendedPrecision() {
        QFETCH(QSize, from);
        QFETCH(QSize, to);
        const QImage source = randomImage(from.width(), from.height(), 7);
        QCOMPARE(SmoothResample(source, to.width(), to.height()),
                 reference(source, to.width(), to.height()));
    }

    void zeroSizedSourceIsAnAssertionFailure() {
        for (const QImage& source : {QImage(), QImage(0, 4, QImage::Format_RGB888)}) {
            try {
                SmoothResample(source, 4, 4);
                QFAIL("no error for an empty source");
            } catch (const AssertionFailure& e) {
                QCOMPARE(QByteArray(e.what()), QByteArray("Assertion failure"));
            }
        }
    }

    void partHasThePixelsOfTheWhole() {
        // A source with every value different, resampled by an uneven factor (values next to
        // halves take the extended-precision path) and by an exact one.
        QImage source(37, 23, QImage::Format_RGB888);
        for (int y = 0; y < source.height(); ++y)
            for (int x = 0; x < source.width(); ++x)
                source.setPixel(x, y, qRgb((x * 7 + y * 3) % 256, (x * y) % 256, (200 - x - y)));
        for (const QSize size : {QSize(101, 67), QSize(74, 46)}) {
            const QImage whole = SmoothResample(source, size.width(), size.height());
            for (const QRect part : {QRect(0, 0, size.width(), size.height()), QRect(10, 5, 40, 30),
                                     QRect(size.width() - 7, size.height() - 3, 7, 3)})
                QCOMPARE(SmoothResample(source, size.width(), size.height(), part),
                         whole.copy(part));
            // Clipped to the image; nothing of it inside gives a null image.
            QCOMPARE(SmoothResample(source, size.width(), size.height(), QRect(-5, -5, 20, 10)),
                     whole.copy(QRect(0, 0, 15, 5)));
            QVERIFY(
                SmoothResample(source, size.width(), size.height(), QRect(500, 0, 5, 5)).isNull());
        }
    }

    void emptyTargetIsNull() { QVERIFY(SmoothResample(image({{1}}, {{2}}, {{3}}), 0, 5).isNull()); }
};

QTEST_GUILESS_MAIN(TestSmoothResample)
#include "tst_SmoothResample.moc"
