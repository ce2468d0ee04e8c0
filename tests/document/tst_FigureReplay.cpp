// Figure pages hold file bytes and decode them when played: the pixels of a replay must be
// those of the earlier design, where the layout decoded (and smoothed) the file and the page
// kept the pixels. The reference page here is built that way from the same records.
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "document/LayoutEngine.h"
#include "document/Tags.h"
#include "pages/DecodedImageCache.h"
#include "pages/EncodedImage.h"
#include "pages/PagePdfWriter.h"
#include "pages/PrintPreview.h"
#include "platform/BmpReader.h"
#include "platform/FontSubstitution.h"
#include "platform/JpegReader.h"
#include "platform/SmoothResample.h"
#include "support/PdfText.h"

namespace {

struct Layout {
    TOutputSettings settings;
    LayoutState state;
    TPrintPreview store;
    std::unique_ptr<LayoutEngine> engine;

    explicit Layout(int bitmapDrawType,
                    const TPrinterInfo& printer = TPrinterInfo::fromDots(1240, 1754, 1240, 1754, 0,
                                                                         0, 150, 150)) {
        state.PrinterInfo = printer;
        store.setReferenceDevice(printer);
        state.CurFont = TextFont{QStringLiteral("ＭＳ 明朝"), 9};
        state.DataKind = -1;
        settings.BitmapDrawType = bitmapDrawType;
        engine = std::make_unique<LayoutEngine>(state, store, settings);
    }
    void run(const QByteArrayList& lines) {
        engine->CalcFrameGeometry();
        engine->LayoutDocument(lines);
    }
    QList<ImageRecord> images(int page) const {
        QList<ImageRecord> out;
        for (const PageRecord& record : store.GetPage(page).records())
            if (const auto* r = std::get_if<ImageRecord>(&record))
                out.append(*r);
        return out;
    }
};

// The page as the earlier layout recorded it: each figure decoded by the readers, smoothed
// to its size in dots where asked, and the pixels kept by the page.
PageRecording decodedAsBefore(const PageRecording& page) {
    PageRecording before(QSize(page.width(), page.height()));
    for (PageRecord record : page.records()) {
        if (auto* r = std::get_if<ImageRecord>(&record); r && r->encoded) {
            const QByteArray bytes = r->encoded->bytes();
            QImage pixels = r->encoded->format() == EncodedImage::Format::Bitmap
                                ? bmp_reader::decode(bytes)
                                : jpeg_reader::decode(bytes);
            if (!r->resampleTo.isEmpty())
                pixels = SmoothResample(pixels, r->resampleTo.width(), r->resampleTo.height());
            r->image = std::make_shared<const QImage>(std::move(pixels));
            r->encoded.reset();
            r->resampleTo = QSize();
        }
        if (const auto* t = std::get_if<TextRecord>(&record)) {
            TextRecord text = *t;
            text.fontIndex = before.fontIndex(page.font(t->fontIndex));
            record = text;
        }
        before.append(std::move(record));
    }
    return before;
}

QImage played(const PageRecording& page, double scale = 1.0,
              PageRecording::Target target = PageRecording::Target::Output, QPoint origin = {}) {
    QImage image(int(page.width() * scale), int(page.height() * scale), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(scale, scale);
    page.replay(painter, origin, target);
    return image;
}

// A drawing with sharp edges and thin lines, like the labels of a plan.
QImage plan(int width, int height, QRgb ink) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(250, 250, 240));
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y)
            if ((x / 6) % 3 == 0 || (y / 5) % 3 == 0)
                image.setPixel(x, y, ink);
    return image;
}

// Mean difference of the average colours of 4 x 4 blocks: how far two renderings of one
// picture at one size differ once the sampling (nearest or averaging) is taken out.
double blockDifference(const QImage& a, const QImage& b) {
    double sum = 0;
    int blocks = 0;
    for (int by = 0; by + 4 <= a.height(); by += 4)
        for (int bx = 0; bx + 4 <= a.width(); bx += 4) {
            int d[3] = {0, 0, 0};
            for (int y = by; y < by + 4; ++y)
                for (int x = bx; x < bx + 4; ++x) {
                    const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
                    d[0] += qRed(p) - qRed(q);
                    d[1] += qGreen(p) - qGreen(q);
                    d[2] += qBlue(p) - qBlue(q);
                }
            sum += (std::abs(d[0]) + std::abs(d[1]) + std::abs(d[2])) / 48.0;
            ++blocks;
        }
    return blocks ? sum / blocks : 0;
}

// The rows of pdfimages -list: page, num, type, width, height, color, comp, bpc, enc, interp,
// object, ...
QList<QStringList> pdfImages(const QString& pdf) {
    QList<QStringList> rows;
    const QStringList lines = pdf_text::output("pdfimages", {"-list", pdf}).split('\n');
    for (const QString& line : lines.mid(2))
        if (const QStringList f = line.simplified().split(' '); f.size() >= 11)
            rows.append(f);
    return rows;
}

// A plan bitmap of that many pixels written into dir and placed count times, smoothed, on A4
// laid out at 600 dpi.
std::unique_ptr<Layout> planOnA4(const QTemporaryDir& dir, QSize pixels, int count) {
    const QString bmp = dir.filePath("plan.bmp");
    if (!plan(pixels.width(), pixels.height(), qRgb(20, 20, 160)).save(bmp, "BMP"))
        return {};
    auto layout = std::make_unique<Layout>(1, TPrinterInfo::forPaper(QSizeF(210, 297), 600));
    QByteArrayList report;
    for (int i = 0; i < count; ++i)
        report << tags::BmpFile.toByteArray() << bmp.toUtf8();
    layout->run(report);
    return layout;
}

} // namespace

class TestFigureReplay : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString bmp_, copy_, jpeg_;

    QByteArrayList report() const {
        return {"above",
                tags::BmpFile.toByteArray(),
                bmp_.toUtf8(),
                "between",
                tags::JpgFile.toByteArray(),
                jpeg_.toUtf8(),
                tags::BmpFileC.toByteArray(),
                copy_.toUtf8(),
                tags::BmpFileR.toByteArray(),
                bmp_.toUtf8(),
                "below"};
    }

private slots:
    void initTestCase() {
        font_substitution::install();
        QVERIFY(dir_.isValid());
        bmp_ = dir_.filePath("plan.bmp");
        copy_ = dir_.filePath("plan-copy.bmp");
        jpeg_ = dir_.filePath("photo.jpg");
        QVERIFY(plan(240, 160, qRgb(20, 20, 160)).save(bmp_, "BMP"));
        QVERIFY(QFile::copy(bmp_, copy_));
        QVERIFY(plan(200, 120, qRgb(160, 40, 20)).save(jpeg_, "JPEG", 80));
    }

    void replayGivesThePixelsOfDecodingAtLayout_data() {
        QTest::addColumn<int>("bitmapDrawType");
        QTest::newRow("smoothed to its size in dots") << 1;
        QTest::newRow("plain stretch") << 2;
    }
    void replayGivesThePixelsOfDecodingAtLayout() {
        QFETCH(int, bitmapDrawType);
        Layout l(bitmapDrawType);
        l.run(report());
        QCOMPARE(l.images(0).size(), 4);
        const PageRecording& page = l.store.GetPage(0);
        const QImage reference = played(decodedAsBefore(page));
        DecodedImageCache::shared().clear();
        QCOMPARE(played(page), reference);
        // Played again from the cache.
        QCOMPARE(played(page), reference);
        // Figures partly off the device: only their part on it is smoothed, same pixels.
        // Bitmaps of odd width in dots are stretched one dot narrower (a centred rectangle
        // spans 2 × (W div 2)), so the part is drawn scaled too.
        for (const QPoint shifted : {QPoint(-600, -150), QPoint(-613, -151), QPoint(-1100, 0)})
            QCOMPARE(played(page, 1.0, PageRecording::Target::Output, shifted),
                     played(decodedAsBefore(page), 1.0, PageRecording::Target::Output, shifted));
    }

    void pagesDoNotDependOnTheFilesAfterLayout() {
        QTemporaryDir own;
        const QString bmp = own.filePath("plan.bmp"), jpeg = own.filePath("photo.jpg");
        QVERIFY(QFile::copy(bmp_, bmp) && QFile::copy(jpeg_, jpeg));
        Layout l(1);
        l.run({tags::BmpFile.toByteArray(), bmp.toUtf8(), tags::JpgFile.toByteArray(),
               jpeg.toUtf8()});
        const QImage before = played(l.store.GetPage(0));
        // One file replaced by another picture, the other deleted; nothing held in memory.
        QVERIFY(QFile::remove(bmp));
        QVERIFY(plan(240, 160, qRgb(0, 200, 0)).save(bmp, "BMP"));
        QVERIFY(QFile::remove(jpeg));
        DecodedImageCache::shared().clear();
        QCOMPARE(played(l.store.GetPage(0)), before);
    }

    void equalFilesAreHeldOnce() {
        Layout l(1);
        l.run(report());
        QList<ImageRecord> images = l.images(0);
        // plan.bmp twice and its copy under another name: one figure; the JPEG another.
        QCOMPARE(images[0].encoded, images[2].encoded);
        QCOMPARE(images[0].encoded, images[3].encoded);
        QVERIFY(images[1].encoded != images[0].encoded);
        QCOMPARE(images[0].encoded->bytes().size(), QFileInfo(bmp_).size());
        // An uncompressed bitmap of a drawing is held packed.
        QVERIFY(images[0].encoded->storedSize() < QFileInfo(bmp_).size() / 4);
        // A second layout of the same files shares them with the first one's pages.
        Layout again(2);
        again.run(report());
        QCOMPARE(again.images(0)[0].encoded, images[0].encoded);
        // The figures go with the last page that holds them.
        images.clear();
        const std::size_t live = EncodedImage::liveCount();
        l.store.BeginDoc();
        l.store.EndDoc();
        QCOMPARE(EncodedImage::liveCount(), live);
        again.store.BeginDoc();
        again.store.EndDoc();
        QCOMPARE(EncodedImage::liveCount(), live - 2);
    }

    // A smoothed bitmap as large as the page goes into a PDF once, at its own pixel size,
    // losslessly with the file's pixels; the viewer smooths it (interpolation flag).
    void smoothedFiguresReachPdfsAtTheirOwnSize() {
        if (QStandardPaths::findExecutable("pdfimages").isEmpty())
            QSKIP("poppler-utils (pdfimages) are not installed");
        QTemporaryDir own;
        const auto placed = planOnA4(own, QSize(704, 896), 1); // 4400 x 5600 dots
        QVERIFY(placed);
        const Layout& l = *placed;
        QCOMPARE(l.images(0).size(), 1);
        const QString pdf = own.filePath("large.pdf");
        QVERIFY(page_pdf::write(l.store, pdf));

        const QList<QStringList> images = pdfImages(pdf);
        QCOMPARE(images.size(), 1);
        QCOMPARE(images[0][3].toInt(), 704);
        QCOMPARE(images[0][4].toInt(), 896);
        QCOMPARE(images[0][8], QStringLiteral("image")); // Flate, not "jpeg"
        QCOMPARE(images[0][9], QStringLiteral("yes"));   // interpolated by the viewer

        QProcess extract;
        extract.start("pdfimages", {"-png", pdf, own.filePath("figure")});
        QVERIFY(extract.waitForFinished(120000));
        const QImage written(own.filePath("figure-000.png"));
        QCOMPARE(written.convertToFormat(QImage::Format_RGB32),
                 l.images(0)[0].encoded->pixels().convertToFormat(QImage::Format_RGB32));
    }

    // A smoothed figure placed twice goes into a PDF once for all the places that show it.
    void smoothedFiguresReachPdfsOnce() {
        if (QStandardPaths::findExecutable("pdfimages").isEmpty())
            QSKIP("poppler-utils (pdfimages) are not installed");
        QTemporaryDir own;
        const auto placed = planOnA4(own, QSize(320, 240), 2); // 2000 x 1500 dots each
        QVERIFY(placed);
        const Layout& l = *placed;
        QCOMPARE(l.images(0).size(), 2);
        const QString pdf = own.filePath("small.pdf");
        QVERIFY(page_pdf::write(l.store, pdf));
        const QList<QStringList> images = pdfImages(pdf);
        QCOMPARE(images.size(), 2);
        QCOMPARE(images[0][4].toInt(), 240);
        QCOMPARE(images[0][10], images[1][10]); // one image object
    }

    void screenDrawsShrunkFiguresAtItsOwnResolution() {
        Layout l(1);
        l.run(report());
        const PageRecording& page = l.store.GetPage(0);
        DecodedImageCache& cache = DecodedImageCache::shared();
        cache.clear();
        const double scale = 0.5;
        const QImage screen = played(page, scale, PageRecording::Target::Screen);
        // Nothing was smoothed at printer resolution: only the decoded files and their
        // screen-sized images are held (two files, two screen sizes).
        qint64 screenBytes = 0;
        for (const ImageRecord& r : l.images(0))
            screenBytes +=
                qint64(r.target.width() * scale + 2) * (r.target.height() * scale + 2) * 4;
        const qint64 decodedBytes = 240 * 160 * 4 + 200 * 120 * 3;
        QVERIFY2(cache.bytes() <= decodedBytes + screenBytes,
                 qPrintable(QString::number(cache.bytes())));
        // What the screen shows is that page: close to the output replay scaled down.
        const QImage output = played(page, scale);
        for (const ImageRecord& r : l.images(0)) {
            const QRect area(int(r.target.left() * scale) + 1, int(r.target.top() * scale) + 1,
                             int(r.target.width() * scale) - 2, int(r.target.height() * scale) - 2);
            const double d = blockDifference(screen.copy(area), output.copy(area));
            // Sampling differs (the output replay picks pixels, the screen averages them);
            // a wrong, missing or misplaced picture differs by around 100.
            QVERIFY2(d < 20, qPrintable(QString::number(d)));
        }
        // Outside the figures the two are the same.
        const QRect text(0, 0, screen.width(), int(l.images(0)[0].target.top() * scale) - 1);
        QCOMPARE(screen.copy(text), output.copy(text));
    }
};

QTEST_MAIN(TestFigureReplay)
#include "tst_FigureReplay.moc"
