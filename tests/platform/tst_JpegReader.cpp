#include <QBuffer>
#include <QTest>

#include "platform/ImageTestData.h"
#include "platform/JpegReader.h"

#include <QRegularExpression>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace {

// Encodes samples (components bytes a pixel) with libjpeg at quality 100.
QByteArray encode(int width, int height, J_COLOR_SPACE input, int components, J_COLOR_SPACE stored,
                  bool adobeMarker, const std::vector<uchar>& pixel,
                  const std::function<void(jpeg_compress_struct&)>& tune = {}) {
    jpeg_compress_struct c{};
    jpeg_error_mgr errors{};
    c.err = jpeg_std_error(&errors);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = JDIMENSION(width);
    c.image_height = JDIMENSION(height);
    c.input_components = components;
    c.in_color_space = input;
    jpeg_set_defaults(&c);
    jpeg_set_colorspace(&c, stored);
    jpeg_set_quality(&c, 100, TRUE);
    c.write_Adobe_marker = adobeMarker;
    if (tune)
        tune(c);
    jpeg_start_compress(&c, TRUE);
    std::vector<uchar> row;
    for (int x = 0; x < width; ++x)
        row.insert(row.end(), pixel.begin(), pixel.end());
    while (c.next_scanline < c.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    QByteArray result(reinterpret_cast<const char*>(buffer), qsizetype(size));
    jpeg_destroy_compress(&c);
    std::free(buffer);
    return result;
}

int errorCode(const QByteArray& file) {
    try {
        jpeg_reader::decode(file);
    } catch (const JpegError& e) {
        if (QString::fromUtf8(e.what()) != QStringLiteral("JPEG エラー #%1").arg(e.messageCode()))
            return -2;
        return e.messageCode();
    }
    return 0;
}

QByteArray sharedFile(const char* name) {
    QFile file(sharedImageFolder(QStringLiteral("jpeg/")) + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool near(QRgb actual, QRgb expected, int tolerance) {
    return qAbs(qRed(actual) - qRed(expected)) <= tolerance &&
           qAbs(qGreen(actual) - qGreen(expected)) <= tolerance &&
           qAbs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

} // namespace

class TestJpegReader : public QObject {
    Q_OBJECT
private slots:
    void decodesShrunkForViews() {
        QImage image(101, 60, QImage::Format_RGB32);
        image.fill(qRgb(200, 40, 90));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "JPEG", 95));
        // Sides divided and rounded up; other denominators decode the whole image.
        const QList<std::pair<int, QSize>> cases = {
            {2, QSize(51, 30)}, {4, QSize(26, 15)}, {8, QSize(13, 8)}, {3, QSize(101, 60)}};
        for (const auto& [denominator, size] : cases) {
            const QImage shrunk = jpeg_reader::decodeScaled(bytes, denominator);
            QCOMPARE(shrunk.size(), size);
            const QRgb centre = shrunk.pixel(size.width() / 2, size.height() / 2);
            QVERIFY(std::abs(qRed(centre) - 200) < 6 && std::abs(qBlue(centre) - 90) < 6);
        }
        // A damaged file fails the same way shrunk or not.
        QVERIFY_THROWS_EXCEPTION(JpegError, jpeg_reader::decodeScaled(bytes.left(40), 4));
    }

    // Every third-party file draws at its listed size or gives the JPEG message with the
    // libjpeg code named in its note.
    void thirdPartyFiles_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("draws");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("code"); // 0 when the note names none
        const QString folder = sharedImageFolder(QStringLiteral("jpeg"));
        const QList<ImageExpectation> expectations = readExpectations(folder);
        if (expectations.isEmpty())
            QSKIP("no jpeg/EXPECT.tsv in the shared test data");
        static const QRegularExpression named(QStringLiteral("libjpeg (?:error|warning) #(\\d+)"));
        for (const ImageExpectation& e : expectations) {
            const QRegularExpressionMatch match = named.match(e.note);
            const int code = !e.draws && match.hasMatch() ? match.captured(1).toInt() : 0;
            QTest::newRow(qPrintable(e.file))
                << folder + u'/' + e.file << e.draws << e.size << code;
        }
    }
    void thirdPartyFiles() {
        QFETCH(QString, path);
        QFETCH(bool, draws);
        QFETCH(QSize, size);
        QFETCH(int, code);
        if (!QFile::exists(path))
            QSKIP("file missing");
        if (draws) {
            const QImage image = jpeg_reader::readFile(path);
            QCOMPARE(image.size(), size);
            QCOMPARE(image.format(), QImage::Format_RGB888);
            return;
        }
        try {
            jpeg_reader::readFile(path);
            QFAIL("decoded a file that should be refused");
        } catch (const JpegError& e) {
            QCOMPARE(QString::fromUtf8(e.what()),
                     QStringLiteral("JPEG エラー #%1").arg(e.messageCode()));
            if (code != 0)
                QCOMPARE(e.messageCode(), code);
        }
    }

    // Cut and overwritten copies of the small third-party files decode or give the JPEG
    // message; nothing else may happen (the sanitizer run catches bad reads).
    void damagedCopiesFailCleanly() {
        const QString folder = sharedImageFolder(QStringLiteral("jpeg"));
        const QList<ImageExpectation> expectations = readExpectations(folder);
        if (expectations.isEmpty())
            QSKIP("no jpeg/EXPECT.tsv in the shared test data");
        const DamagedOutcome outcome = decodeDamagedCopies<JpegError>(
            folder, expectations, 40000, 12, 11,
            [](const QByteArray& copy) { return jpeg_reader::decode(copy); });
        QCOMPARE(outcome.nullImages, 0);
        QVERIFY(outcome.refused > 0 && outcome.decoded > 0);
    }

    // The layout's check decodes at an eighth of the size: it must refuse exactly the files
    // that decode() refuses, with the same code, and give the stored size of the others.
    void checkAgreesWithDecode() {
        const QString folder = sharedImageFolder(QStringLiteral("jpeg"));
        const QList<ImageExpectation> expectations = readExpectations(folder);
        if (expectations.isEmpty())
            QSKIP("no jpeg/EXPECT.tsv in the shared test data");
        const CheckAgreement agreement = compareCheckWithDecode<JpegError>(
            folder, expectations, 40000, 7,
            [](const QByteArray& f) { return jpeg_reader::check(f); },
            [](const QByteArray& f) { return jpeg_reader::decode(f); });
        QVERIFY2(agreement.firstDifference.isEmpty(), qPrintable(agreement.firstDifference));
        QVERIFY(agreement.refused > 0 && agreement.refused < agreement.compared);
    }

    // Solid colours through each CMYK storage. Adobe files store the inks inverted
    // (255 = no ink); files without the Adobe marker store them plainly.
    void cmykColours_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("adobe");
        QTest::addColumn<QList<int>>("samples");
        QTest::addColumn<QRgb>("expected");
        QTest::newRow("Adobe CMYK magenta")
            << int(JCS_CMYK) << true << QList<int>{255, 0, 255, 255} << qRgb(255, 0, 255);
        QTest::newRow("Adobe CMYK half black")
            << int(JCS_CMYK) << true << QList<int>{255, 255, 255, 128} << qRgb(128, 128, 128);
        QTest::newRow("Adobe YCCK yellow")
            << int(JCS_YCCK) << true << QList<int>{255, 255, 0, 255} << qRgb(255, 255, 0);
        QTest::newRow("Adobe CMYK dark red")
            << int(JCS_CMYK) << true << QList<int>{255, 0, 0, 128} << qRgb(128, 0, 0);
        QTest::newRow("plain CMYK magenta")
            << int(JCS_CMYK) << false << QList<int>{0, 255, 0, 0} << qRgb(255, 0, 255);
        QTest::newRow("plain CMYK cyan")
            << int(JCS_CMYK) << false << QList<int>{255, 0, 0, 0} << qRgb(0, 255, 255);
    }
    void cmykColours() {
        QFETCH(int, stored);
        QFETCH(bool, adobe);
        QFETCH(QList<int>, samples);
        QFETCH(QRgb, expected);
        const std::vector<uchar> pixel(samples.begin(), samples.end());
        const QImage image =
            jpeg_reader::decode(encode(24, 16, JCS_CMYK, 4, J_COLOR_SPACE(stored), adobe, pixel));
        QCOMPARE(image.size(), QSize(24, 16));
        for (QPoint p : {QPoint(0, 0), QPoint(23, 15), QPoint(11, 7)})
            QVERIFY2(near(image.pixel(p), expected, 2),
                     qPrintable(QString::number(image.pixel(p), 16)));
    }

    void grayscaleKnownValue() {
        const QImage image =
            jpeg_reader::decode(encode(9, 9, JCS_GRAYSCALE, 1, JCS_GRAYSCALE, false, {100}));
        QCOMPARE(image.format(), QImage::Format_RGB888);
        QVERIFY(near(image.pixel(4, 4), qRgb(100, 100, 100), 1));
    }

    // The same logo stored as grey and as Adobe YCCK: every pixel of the grey file is
    // grey, the background of both is white, and the CMYK file's luminance follows the
    // grey file's (a wrong inversion would turn it into a negative).
    void thirdPartyGreyAndCmykAgree() {
        const QByteArray greyFile = sharedFile("gray.jpg");
        const QByteArray cmykFile = sharedFile("cmyk.jpg");
        if (greyFile.isEmpty() || cmykFile.isEmpty())
            QSKIP("gray.jpg or cmyk.jpg missing");
        const QImage grey = jpeg_reader::decode(greyFile);
        const QImage cmyk = jpeg_reader::decode(cmykFile);
        QCOMPARE(grey.size(), cmyk.size());
        QVERIFY(near(grey.pixel(0, 0), qRgb(255, 255, 255), 3));
        QVERIFY(near(cmyk.pixel(0, 0), qRgb(255, 255, 255), 3));
        double difference = 0;
        for (int y = 0; y < grey.height(); ++y) {
            for (int x = 0; x < grey.width(); ++x) {
                const QRgb g = grey.pixel(x, y);
                QVERIFY(qRed(g) == qGreen(g) && qGreen(g) == qBlue(g));
                difference += qAbs(qGray(cmyk.pixel(x, y)) - qRed(g));
            }
        }
        const double meanDifference = difference / (grey.width() * grey.height());
        QVERIFY2(meanDifference < 4, qPrintable(QString::number(meanDifference)));
    }

    // A third party's Adobe CMYK file (transform 0, inks inverted): a gradient with pure
    // yellow, green, red and blue corners.
    void thirdPartyAdobeCmykCorners() {
        const QByteArray file = sharedFile("jpegdec-mozilla-jpg-cmyk-1.jpg");
        if (file.isEmpty())
            QSKIP("jpegdec-mozilla-jpg-cmyk-1.jpg missing");
        const QImage image = jpeg_reader::decode(file);
        QCOMPARE(image.size(), QSize(32, 32));
        QVERIFY(near(image.pixel(0, 0), qRgb(255, 255, 0), 4));
        QVERIFY(near(image.pixel(31, 0), qRgb(0, 255, 0), 4));
        QVERIFY(near(image.pixel(0, 31), qRgb(255, 0, 0), 4));
        QVERIFY(near(image.pixel(31, 31), qRgb(0, 0, 255), 4));
    }

    // A file cut in the middle of its scan data gives the premature-end code instead of a
    // picture with a grey lower part.
    void cutShortIsAnError() {
        const QByteArray whole = sharedFile("baseline.jpg");
        if (whole.isEmpty())
            QSKIP("baseline.jpg missing");
        QCOMPARE(errorCode(whole), 0);
        QCOMPARE(errorCode(whole.left(whole.size() * 2 / 3)), int(JWRN_JPEG_EOF));
    }

    // A file has at least one bit for every block of every component; one with fewer is
    // refused as cut short before anything is decoded, whatever its header claims. The most
    // compact honest files (one colour, optimal tables, sequential or progressive) decode.
    void fewerBitsThanBlocksIsCutShort() {
        for (const bool progressive : {false, true}) {
            const QByteArray solid = encode(2048, 2048, JCS_RGB, 3, JCS_YCbCr, false, {30, 160, 90},
                                            [progressive](jpeg_compress_struct& c) {
                                                c.optimize_coding = TRUE;
                                                if (progressive)
                                                    jpeg_simple_progression(&c);
                                            });
            const QImage image = jpeg_reader::decode(solid);
            QCOMPARE(image.size(), QSize(2048, 2048));
            QVERIFY(near(image.pixel(2047, 2047), qRgb(30, 160, 90), 4));
        }
        QByteArray lying = encode(64, 64, JCS_RGB, 3, JCS_YCbCr, false, {30, 160, 90});
        const qsizetype sof = lying.indexOf(QByteArray("\xFF\xC0", 2));
        QVERIFY(sof > 0);
        for (int i : {5, 7}) { // 8000 × 8000: 192 MB, within the decode ceiling
            lying[sof + i] = char(8000 >> 8);
            lying[sof + i + 1] = char(8000 & 0xFF);
        }
        QCOMPARE(errorCode(lying), int(JWRN_JPEG_EOF));
    }

    // A header claiming 40000 × 40000 pixels (4.8 GB decoded) is refused before any pixel
    // memory is taken, with libjpeg's "image too big" code.
    void hugeDimensionsRefused() {
        QByteArray file = sharedFile("baseline.jpg");
        if (file.isEmpty())
            QSKIP("baseline.jpg missing");
        const qsizetype sof = file.indexOf(QByteArray("\xFF\xC0", 2));
        QVERIFY(sof > 0);
        for (int i : {5, 7}) { // height, then width, big-endian
            file[sof + i] = char(40000 >> 8);
            file[sof + i + 1] = char(40000 & 0xFF);
        }
        QCOMPARE(errorCode(file), int(JERR_IMAGE_TOO_BIG));
    }

    void unreadableFile() {
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 jpeg_reader::readFile(QStringLiteral("/nonexistent/x.jpg")));
    }
};

QTEST_MAIN(TestJpegReader)
#include "tst_JpegReader.moc"
