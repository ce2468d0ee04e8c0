#include <QTest>

#include "platform/BmpReader.h"
#include "platform/ImageTestData.h"
#include "support/PeakMemory.h"

#include <QElapsedTimer>

#include <QtEndian>

namespace {

const QString invalidBitmap = QStringLiteral("ビットマップイメージが不正です");

void put16(QByteArray& b, quint16 v) {
    b.append(char(v & 0xFF)).append(char(v >> 8));
}
void put32(QByteArray& b, quint32 v) {
    put16(b, quint16(v & 0xFFFF));
    put16(b, quint16(v >> 16));
}

// A BMP file with an info header (or a longer one, zero-filled past the info fields, with
// masks at their V2+ place when given), then extra (masks or palette) and the pixel bytes.
struct BmpDescription {
    qint32 width = 2;
    qint32 height = 2;
    quint16 bits = 24;
    quint32 compression = 0;
    quint32 colorsUsed = 0;
    quint32 headerSize = 40;
    QByteArray extra;
    QByteArray pixels;
    qint64 offsetShift = 0; // added to the correct pixel offset
};

QByteArray build(const BmpDescription& s) {
    QByteArray header;
    put32(header, s.headerSize);
    put32(header, quint32(s.width));
    put32(header, quint32(s.height));
    put16(header, 1);
    put16(header, s.bits);
    put32(header, s.compression);
    put32(header, quint32(s.pixels.size()));
    put32(header, 3780);
    put32(header, 3780);
    put32(header, s.colorsUsed);
    put32(header, 0);
    header.append(QByteArray(qMax<int>(0, int(s.headerSize) - 40), '\0'));
    QByteArray file("BM");
    const quint32 offset = quint32(14 + header.size() + s.extra.size() + s.offsetShift);
    put32(file, quint32(14 + header.size() + s.extra.size() + s.pixels.size()));
    put32(file, 0);
    put32(file, offset);
    return file + header + s.extra + s.pixels;
}

QByteArray palette(std::initializer_list<QRgb> colours) {
    QByteArray p;
    for (QRgb c : colours)
        p.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append('\0');
    return p;
}

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

// The rows of an image, top to bottom, as lists of colours.
QList<QList<QRgb>> rowsOf(const QImage& image) {
    QList<QList<QRgb>> rows;
    for (int y = 0; y < image.height(); ++y) {
        QList<QRgb> row;
        for (int x = 0; x < image.width(); ++x)
            row.append(image.pixel(x, y));
        rows.append(row);
    }
    return rows;
}

const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 255, 0), blue = qRgb(0, 0, 255),
           white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);

bool refused(const QByteArray& file) {
    try {
        bmp_reader::decode(file);
    } catch (const InvalidBitmapError& e) {
        return QString::fromUtf8(e.what()) == invalidBitmap;
    }
    return false;
}

} // namespace

class TestBmpReader : public QObject {
    Q_OBJECT
private slots:
    // Every third-party file draws at its listed size or gives the bitmap message.
    void thirdPartyFiles_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("draws");
        QTest::addColumn<QSize>("size");
        const QString folder = sharedImageFolder(QStringLiteral("bmp"));
        const QList<ImageExpectation> expectations = readExpectations(folder);
        if (expectations.isEmpty())
            QSKIP("no bmp/EXPECT.tsv in the shared test data");
        for (const ImageExpectation& e : expectations)
            QTest::newRow(qPrintable(e.file)) << folder + u'/' + e.file << e.draws << e.size;
    }
    void thirdPartyFiles() {
        QFETCH(QString, path);
        QFETCH(bool, draws);
        QFETCH(QSize, size);
        if (!QFile::exists(path))
            QSKIP("file missing");
        if (draws) {
            const LoadedBitmap bitmap = bmp_reader::readFile(path);
            QCOMPARE(bitmap.pixelSize(), size);
            QCOMPARE(bitmap.pixels.format(), QImage::Format_RGB32);
        } else {
            try {
                bmp_reader::readFile(path);
                QFAIL("decoded a file that should be refused");
            } catch (const InvalidBitmapError& e) {
                QCOMPARE(QString::fromUtf8(e.what()), invalidBitmap);
            }
        }
    }

    // Cut and overwritten copies of every third-party file decode or give the bitmap
    // message; nothing else may happen (the sanitizer run catches bad reads).
    void damagedCopiesFailCleanly() {
        const QString folder = sharedImageFolder(QStringLiteral("bmp"));
        const QList<ImageExpectation> expectations = readExpectations(folder);
        if (expectations.isEmpty())
            QSKIP("no bmp/EXPECT.tsv in the shared test data");
        const DamagedOutcome outcome = decodeDamagedCopies<InvalidBitmapError>(
            folder, expectations, 100000, 40, 7,
            [](const QByteArray& copy) { return bmp_reader::decode(copy); });
        QCOMPARE(outcome.nullImages, 0);
        QVERIFY(outcome.refused > 0 && outcome.decoded > 0);
    }

    // The layout's check reads no pixels: it must refuse exactly the files that decode()
    // refuses and give the size of the others.
    void checkAgreesWithDecode() {
        const QString folder = sharedImageFolder(QStringLiteral("bmp"));
        const QList<ImageExpectation> expectations = readExpectations(folder);
        if (expectations.isEmpty())
            QSKIP("no bmp/EXPECT.tsv in the shared test data");
        const CheckAgreement agreement = compareCheckWithDecode<InvalidBitmapError>(
            folder, expectations, 100000, 7,
            [](const QByteArray& f) { return bmp_reader::check(f); },
            [](const QByteArray& f) { return bmp_reader::decode(f); });
        QVERIFY2(agreement.firstDifference.isEmpty(), qPrintable(agreement.firstDifference));
        QVERIFY(agreement.refused > 0 && agreement.refused < agreement.compared);
    }

    // The suite draws one picture in many layouts: the same 8-bit pixels behind a core
    // header, an info header and top-down rows must decode identically, and so must the
    // 24-bit and the 32-bit bit-field copies.
    void sameImageAcrossLayouts() {
        const QString folder = sharedImageFolder(QStringLiteral("bmp"));
        auto load = [&](const char* name) {
            return bmp_reader::readFile(folder + u'/' + QLatin1String(name)).pixels;
        };
        if (!QFile::exists(folder + QStringLiteral("/bmpsuite-g-pal8-0.bmp")))
            QSKIP("bmp suite files missing");
        const QImage pal8 = load("bmpsuite-g-pal8-0.bmp");
        QCOMPARE(load("bmpsuite-g-pal8os2.bmp"), pal8);
        QCOMPARE(load("bmpsuite-g-pal8topdown.bmp"), pal8);
        const QImage rgb24 = load("bmpsuite-g-rgb24pal.bmp");
        QCOMPARE(load("bmpsuite-g-rgb32bf.bmp"), rgb24);
        QCOMPARE(load("bmpsuite-q-rgb32fakealpha.bmp"), rgb24);
        QCOMPARE(load("bmpsuite-q-rgb24largepal.bmp"), rgb24);
    }

    void palettedDepths() {
        BmpDescription one; // rows bottom-up: bottom row "0 1", top row "1 0"
        one.bits = 1;
        one.extra = palette({red, blue});
        one.pixels = bytes({0x40, 0, 0, 0, 0x80, 0, 0, 0});
        QCOMPARE(rowsOf(bmp_reader::decode(build(one))),
                 (QList<QList<QRgb>>{{blue, red}, {red, blue}}));

        BmpDescription four;
        four.bits = 4;
        four.width = 3;
        four.height = 1;
        four.extra = palette({black, red, green, blue});
        four.pixels = bytes({0x12, 0x30, 0, 0});
        QCOMPARE(rowsOf(bmp_reader::decode(build(four))), (QList<QList<QRgb>>{{red, green, blue}}));

        // Two colours used: index 2 is past the palette and draws black.
        BmpDescription eight;
        eight.bits = 8;
        eight.width = 3;
        eight.height = 1;
        eight.colorsUsed = 2;
        eight.extra = palette({white, green});
        eight.pixels = bytes({1, 0, 2, 0});
        QCOMPARE(rowsOf(bmp_reader::decode(build(eight))),
                 (QList<QList<QRgb>>{{green, white, black}}));

        // No colour count and room for only two entries before the pixels: the palette
        // ends at the pixel data, as old OS/2 writers size it.
        eight.colorsUsed = 0;
        QCOMPARE(rowsOf(bmp_reader::decode(build(eight))),
                 (QList<QList<QRgb>>{{green, white, black}}));
    }

    void bottomUpAndTopDownRows() {
        BmpDescription s; // 24-bit, 2 × 2, rows padded to 8 bytes
        s.pixels = bytes({0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0});
        const QList<QList<QRgb>> bottomUp{{blue, white}, {red, green}};
        QCOMPARE(rowsOf(bmp_reader::decode(build(s))), bottomUp);
        s.height = -2;
        QCOMPARE(rowsOf(bmp_reader::decode(build(s))),
                 (QList<QList<QRgb>>{{red, green}, {blue, white}}));
    }

    void sixteenAndThirtyTwoBits() {
        BmpDescription plain16; // 5-5-5 without masks
        plain16.bits = 16;
        plain16.width = 2;
        plain16.height = 1;
        plain16.pixels = bytes({0x00, 0x7C, 0x10, 0x42});
        QCOMPARE(rowsOf(bmp_reader::decode(build(plain16))),
                 (QList<QList<QRgb>>{{red, qRgb(132, 132, 132)}}));

        BmpDescription masked16 = plain16; // 5-6-5 bit fields after the info header
        masked16.compression = 3;
        masked16.extra.clear();
        put32(masked16.extra, 0xF800);
        put32(masked16.extra, 0x07E0);
        put32(masked16.extra, 0x001F);
        masked16.pixels = bytes({0xE0, 0x07, 0x1F, 0x00});
        QCOMPARE(rowsOf(bmp_reader::decode(build(masked16))), (QList<QList<QRgb>>{{green, blue}}));

        // 32-bit bit fields in an unusual order (red lowest), masks inside a V5 header.
        BmpDescription masked32;
        masked32.bits = 32;
        masked32.width = 1;
        masked32.height = 1;
        masked32.compression = 3;
        masked32.headerSize = 124;
        masked32.pixels = bytes({10, 20, 30, 40});
        QByteArray file = build(masked32);
        qToLittleEndian<quint32>(0x000000FF, file.data() + 54);
        qToLittleEndian<quint32>(0x0000FF00, file.data() + 58);
        qToLittleEndian<quint32>(0x00FF0000, file.data() + 62);
        qToLittleEndian<quint32>(0xFF000000, file.data() + 66);
        QCOMPARE(bmp_reader::decode(file).pixel(0, 0), qRgb(10, 20, 30));

        // Without bit-field compression the header's masks are ignored and the fourth
        // byte is not alpha: the pixel stays opaque.
        qToLittleEndian<quint32>(0, file.data() + 30);
        QCOMPARE(bmp_reader::decode(file).pixel(0, 0), qRgb(30, 20, 10));
    }

    void rle8() {
        BmpDescription s;
        s.bits = 8;
        s.compression = 1;
        s.width = 3;
        s.height = 3;
        s.extra = palette({black, red, green, blue});
        s.pixels = bytes({4, 1, 0, 0,       // bottom row: a run of four, the last in the padding
                          0, 2, 1, 0,       // delta one right: the middle row starts at x = 1
                          1, 3, 0, 0,       // one blue pixel, end of line
                          0, 3, 2, 1, 3, 0, // absolute: three pixels, padded to an even length
                          0, 1});           // end of bitmap
        QCOMPARE(rowsOf(bmp_reader::decode(build(s))),
                 (QList<QList<QRgb>>{{green, red, blue}, {black, blue, black}, {red, red, red}}));

        // An early end leaves the rest at palette entry 0.
        s.pixels = bytes({2, 2, 0, 1});
        QCOMPARE(rowsOf(bmp_reader::decode(build(s))),
                 (QList<QList<QRgb>>{
                     {black, black, black}, {black, black, black}, {green, green, black}}));
    }

    void rle4() {
        BmpDescription s;
        s.bits = 4;
        s.compression = 2;
        s.width = 5;
        s.height = 2;
        s.extra = palette({black, red, green, blue});
        s.pixels = bytes({7, 0x12, 0, 0,          // alternating red and green, clipped at five
                          0, 3, 0x31, 0x20, 0, 0, // absolute: blue, red, green; padded
                          0, 1});
        QCOMPARE(
            rowsOf(bmp_reader::decode(build(s))),
            (QList<QList<QRgb>>{{blue, red, green, black, black}, {red, green, red, green, red}}));
    }

    void brokenRleStreams_data() {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<bool>("topDown");
        // Two 8-bit pixels make a row of 4 bytes: runs may reach 4 pixels, not 5.
        QTest::newRow("run past the row padding") << bytes({5, 1, 0, 1}) << false;
        QTest::newRow("absolute run past the row padding")
            << bytes({2, 1, 0, 5, 1, 1, 1, 1, 1, 0, 0, 1}) << false;
        QTest::newRow("delta past the right edge") << bytes({0, 2, 5, 0, 0, 1}) << false;
        QTest::newRow("delta past the last row") << bytes({0, 2, 0, 2, 0, 1}) << false;
        QTest::newRow("run below the last row")
            << bytes({2, 1, 0, 0, 2, 1, 0, 0, 1, 1, 0, 1}) << false;
        QTest::newRow("absolute run cut") << bytes({2, 1, 0, 0, 0, 4, 1, 1}) << false;
        QTest::newRow("stream cut before the image is drawn") << bytes({2, 1, 0, 0}) << false;
        QTest::newRow("delta cut") << bytes({0, 2, 1}) << false;
        QTest::newRow("top-down") << bytes({2, 1, 0, 0, 2, 1, 0, 1}) << true;
    }
    void brokenRleStreams() {
        QFETCH(QByteArray, stream);
        QFETCH(bool, topDown);
        BmpDescription s;
        s.bits = 8;
        s.compression = 1;
        s.height = topDown ? -2 : 2;
        s.extra = palette({black, red});
        s.pixels = stream;
        QVERIFY(refused(build(s)));
    }

    void rleStreamMayEndWithoutMarkWhenComplete() {
        BmpDescription s;
        s.bits = 8;
        s.compression = 1;
        s.extra = palette({black, red});
        s.pixels = bytes({2, 1, 0, 0, 2, 1});
        QCOMPARE(bmp_reader::decode(build(s)).pixel(1, 0), red);
    }

    void brokenHeaders_data() {
        QTest::addColumn<QByteArray>("file");
        BmpDescription good; // 24-bit 2 × 2
        good.pixels = QByteArray(16, '\x7F');
        QTest::newRow("good") << build(good); // the control case: must decode
        auto with = [&](auto change) {
            BmpDescription s = good;
            change(s);
            return build(s);
        };
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not BM") << QByteArray(build(good)).replace(0, 2, "MB");
        QTest::newRow("16-byte header") << with([](BmpDescription& s) { s.headerSize = 16; });
        QTest::newRow("header longer than the file") << build(good).left(40);
        QTest::newRow("zero width") << with([](BmpDescription& s) { s.width = 0; });
        QTest::newRow("negative width") << with([](BmpDescription& s) { s.width = -2; });
        QTest::newRow("zero height") << with([](BmpDescription& s) { s.height = 0; });
        QTest::newRow("most negative height")
            << with([](BmpDescription& s) { s.height = INT_MIN; });
        QTest::newRow("2 bits") << with([](BmpDescription& s) { s.bits = 2; });
        QTest::newRow("RLE8 on 24 bits") << with([](BmpDescription& s) { s.compression = 1; });
        QTest::newRow("RLE4 on 8 bits") << with([](BmpDescription& s) {
            s.bits = 8;
            s.compression = 2;
            s.extra = palette({black});
        });
        QTest::newRow("bit fields on 24 bits") << with([](BmpDescription& s) {
            s.compression = 3;
            s.extra = QByteArray(12, '\xFF');
        });
        QTest::newRow("bit fields in an OS/2 2.x header") << with([](BmpDescription& s) {
            s.bits = 16;
            s.compression = 3;
            s.headerSize = 64;
        });
        auto masks = [&](quint32 r, quint32 g, quint32 b) {
            return with([&](BmpDescription& s) {
                s.bits = 16;
                s.compression = 3;
                s.extra.clear();
                put32(s.extra, r);
                put32(s.extra, g);
                put32(s.extra, b);
                s.pixels = QByteArray(8, '\0');
            });
        };
        QTest::newRow("good bit fields") << masks(0xF800, 0x07E0, 0x001F);
        QTest::newRow("no blue bits") << masks(0xFF00, 0x00FF, 0);
        QTest::newRow("overlapping masks") << masks(0xF800, 0x0FE0, 0x001F);
        QTest::newRow("mask with a gap") << masks(0xF800, 0x06E0, 0x001F);
        QTest::newRow("mask beyond 16 bits") << masks(0x1F800, 0x07E0, 0x001F);
        QTest::newRow("embedded JPEG") << with([](BmpDescription& s) { s.compression = 4; });
        QTest::newRow("alpha bit fields") << with([](BmpDescription& s) { s.compression = 6; });
        QTest::newRow("257 colours on 8 bits") << with([](BmpDescription& s) {
            s.bits = 8;
            s.colorsUsed = 257;
            s.extra = QByteArray(257 * 4, '\0');
            s.pixels = QByteArray(8, '\0');
        });
        QTest::newRow("pixel offset inside the header")
            << with([](BmpDescription& s) { s.offsetShift = -10; });
        QTest::newRow("pixel offset past the end")
            << with([](BmpDescription& s) { s.offsetShift = 100; });
        QTest::newRow("last pixel missing") << build(good).chopped(3);
    }
    void brokenHeaders() {
        QFETCH(QByteArray, file);
        const bool control = QByteArray(QTest::currentDataTag()).startsWith("good");
        QCOMPARE(refused(file), !control);
    }

    void lastRowPaddingMayBeMissing() {
        BmpDescription s; // 24-bit, width 1: rows of 3 pixel bytes and 1 padding byte
        s.width = 1;
        s.pixels = bytes({0, 0, 255, 0, 255, 0, 0});
        QCOMPARE(rowsOf(bmp_reader::decode(build(s))), (QList<QList<QRgb>>{{blue}, {red}}));
    }

    // Dimensions that would take more than 512 MB are refused from the header alone: the
    // file is a few bytes, so decoding could only fail by allocating.
    void hugeDimensionsRefused() {
        BmpDescription rle;
        rle.bits = 8;
        rle.compression = 1;
        rle.width = 30000;
        rle.height = 30000;
        rle.extra = palette({black});
        rle.pixels = bytes({0, 1});
        QVERIFY(refused(build(rle)));
        rle.width = 16384;
        rle.height = 8193; // one row over 512 MB at 4 bytes a pixel
        QVERIFY(refused(build(rle)));
        rle.width = 64;
        rle.height = 64;
        QVERIFY(!refused(build(rle)));
    }

    // A broken RLE stream is refused before the image it claims is allocated: 1 KB of runs
    // cannot fill 1,114,239 x 64 pixels (285 MB).
    void brokenRleRefusedBeforeAllocating() {
        BmpDescription s;
        s.bits = 8;
        s.compression = 1;
        s.width = 1114239;
        s.height = 64;
        s.extra = palette({black, red});
        for (int i = 0; i < 500; ++i)
            s.pixels += bytes({255, 1});
        s.pixels += bytes({255}); // cut inside a run
        const qint64 before = peakResidentKb();
        QElapsedTimer timer;
        timer.start();
        QVERIFY(refused(build(s)));
        QVERIFY2(timer.elapsed() < 200, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(peakResidentKb() - before < 32 * 1024);
    }

    void sizeForTheLayout() {
        const QString path = sharedImageFolder(QStringLiteral("bmp/rgb24.bmp"));
        if (!QFile::exists(path))
            QSKIP("rgb24.bmp missing");
        const LoadedBitmap bitmap = bmp_reader::readFile(path);
        QCOMPARE(bitmap.pixelSize(), QSize(120, 90));
        QCOMPARE(bitmap.sourceDpiX, bmp_reader::screenLogicalDpiX());
        QCOMPARE(bitmap.sourceDpiY, bmp_reader::screenLogicalDpiY());
        QVERIFY(bitmap.sourceDpiX > 0);
    }

    void unreadableFile() {
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 bmp_reader::readFile(QStringLiteral("/nonexistent/x.bmp")));
    }
};

QTEST_MAIN(TestBmpReader)
#include "tst_BmpReader.moc"
