// The finished PDF as other tools read it: figure images at their own size with the
// interpolation flag as the layout asked, one object for a figure placed on many pages, a JPEG
// figure's own bytes, the outline as bookmarks on the right pages, the document information,
// and labels that could break a file.

#include <QBuffer>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPrinter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "pages/CurrentPrinter.h"
#include "pages/DecodedImageCache.h"
#include "pages/PagePdfWriter.h"
#include "pages/PagePrinter.h"
#include "pages/PdfFinisher.h"
#include "pages/PrintPreview.h"
#include "support/PdfText.h"

namespace {

// A picture with colour, edges and a gradient, so that no encoder takes it for grey or flat.
QImage picture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(
                x, y, qRgb((x * 255) / width, (y * 255) / height, (x / 8 + y / 8) % 2 ? 40 : 220));
    return image;
}

QByteArray encoded(const QImage& image, const char* format, int quality = -1) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

bool haveTools(const QStringList& tools) {
    for (const QString& tool : tools)
        if (QStandardPaths::findExecutable(tool).isEmpty())
            return false;
    return true;
}

// One row of pdfimages -list.
struct ListedImage {
    int page, width, height;
    QString encoding, interpolate, object;
};

QList<ListedImage> listImages(const QString& pdf) {
    QList<ListedImage> images;
    const QStringList lines = pdf_text::output("pdfimages", {"-list", pdf}).split('\n');
    for (const QString& line : lines.mid(2)) {
        const QStringList f = line.simplified().split(' ');
        if (f.size() < 11)
            continue;
        images.append({f[0].toInt(), f[3].toInt(), f[4].toInt(), f[8], f[9], f[10]});
    }
    return images;
}

QJsonObject qpdfJson(const QString& pdf, const QStringList& keys) {
    QStringList args{"--json"};
    for (const QString& key : keys)
        args << "--json-key=" + key;
    return QJsonDocument::fromJson(pdf_text::output("qpdf", args << pdf).toUtf8()).object();
}

} // namespace

class TestPdfFinisher : public QObject {
    Q_OBJECT

private slots:
    void figureImagesAtTheirOwnSize_data();
    void figureImagesAtTheirOwnSize();
    void printJobsGetTheFiguresFinishedWithoutBookmarks();
    void jpegFigureKeepsItsFileBytes();
    void outlineBecomesBookmarks();
    void hostileLabelsLeaveAValidFile();

private:
    QTemporaryDir dir_;
};

void TestPdfFinisher::figureImagesAtTheirOwnSize_data() {
    QTest::addColumn<QSize>("resampleTo");
    QTest::addColumn<bool>("smooth");
    QTest::addColumn<QString>("interpolate");
    QTest::addColumn<qint64>("cacheBudget");
    const qint64 budget = DecodedImageCache::DefaultBudget;
    QTest::newRow("smoothed to its size in dots") << QSize(1500, 750) << false << "yes" << budget;
    QTest::newRow("too large to resample: smoothed when stretched")
        << QSize() << true << "yes" << budget;
    QTest::newRow("stretched directly") << QSize() << false << "no" << budget;
    // Nothing kept by the decode cache: each page gets pixels decoded anew, which the PDF
    // engine takes for another image.
    QTest::newRow("decoded again for every page") << QSize(1500, 750) << false << "yes" << 0LL;
}

// A 300 x 150 bitmap drawn 1500 x 750 dots on three pages: three placements of one image
// object of 300 x 150 pixels, the flag as asked.
void TestPdfFinisher::figureImagesAtTheirOwnSize() {
    QFETCH(QSize, resampleTo);
    QFETCH(bool, smooth);
    QFETCH(QString, interpolate);
    QFETCH(qint64, cacheBudget);
    if (!haveTools({"pdfimages"}))
        QSKIP("pdfimages (poppler-utils) is not installed");
    DecodedImageCache& cache = DecodedImageCache::shared();
    cache.clear();
    cache.setBudget(cacheBudget);
    const auto restore = qScopeGuard([&] { cache.setBudget(DecodedImageCache::DefaultBudget); });
    const auto bitmap =
        EncodedImage::fromBytes(encoded(picture(300, 150), "BMP"), EncodedImage::Format::Bitmap);
    TPrintPreview store;
    store.BeginDoc();
    for (int page = 0; page < 3; ++page) {
        if (page > 0)
            store.NewPage();
        store.GetCanvas().drawEncodedImage(QRect(300, 400 + 100 * page, 1500, 750), bitmap,
                                           resampleTo, smooth);
    }
    store.EndDoc();
    const QString pdf = dir_.filePath("figure.pdf");
    QVERIFY(page_pdf::write(store, pdf));

    const QList<ListedImage> images = listImages(pdf);
    QCOMPARE(images.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(images[i].page, i + 1);
        QCOMPARE(QSize(images[i].width, images[i].height), QSize(300, 150));
        QCOMPARE(images[i].encoding, QStringLiteral("image")); // lossless
        QCOMPARE(images[i].interpolate, interpolate);
        QCOMPARE(images[i].object, images[0].object);
    }
}

// The print job (here the PDF printer's output file, a copy of the spool file) gets the figure
// at its own size with the flag, once; bookmarks are for a screen, not for the job.
void TestPdfFinisher::printJobsGetTheFiguresFinishedWithoutBookmarks() {
    if (!haveTools({"pdfimages", "qpdf"}))
        QSKIP("pdfimages (poppler-utils) or qpdf is not installed");
    const auto bitmap =
        EncodedImage::fromBytes(encoded(picture(300, 150), "BMP"), EncodedImage::Format::Bitmap);
    const TPrinterInfo info = TPrinterInfo::forPaper(QSizeF(210, 297), 600);
    TPrintPreview store;
    store.setReferenceDevice(info);
    store.BeginDoc();
    store.GetCanvas().drawEncodedImage(QRect(300, 400, 1500, 750), bitmap, QSize(1500, 750));
    store.NewPage();
    store.GetCanvas().drawEncodedImage(QRect(300, 400, 1500, 750), bitmap, QSize(1500, 750));
    store.EndDoc();
    store.setOutline({{1, 1, QStringLiteral("1.  建物概要")}});
    auto printer = current_printer::createPdfPrinter();
    const QString job = dir_.filePath("job.pdf");
    printer->setOutputFileName(job);
    QCOMPARE(page_printer::print(store, *printer, info, 1, 2).Pages, 2);

    const QList<ListedImage> images = listImages(job);
    QCOMPARE(images.size(), 2);
    for (const ListedImage& image : images) {
        QCOMPARE(QSize(image.width, image.height), QSize(300, 150));
        QCOMPARE(image.interpolate, QStringLiteral("yes"));
        QCOMPARE(image.object, images[0].object);
    }
    QVERIFY(qpdfJson(job, {"outlines"})["outlines"].toArray().isEmpty());
}

// The engine encodes a JPEG figure again; the finished file holds the file's own bytes.
void TestPdfFinisher::jpegFigureKeepsItsFileBytes() {
    if (!haveTools({"pdfimages"}))
        QSKIP("pdfimages (poppler-utils) is not installed");
    const QByteArray jpeg = encoded(picture(240, 160), "JPG", 80);
    const auto figure = EncodedImage::fromBytes(jpeg, EncodedImage::Format::Jpeg);
    TPrintPreview store;
    store.BeginDoc();
    store.GetCanvas().drawEncodedImage(QRect(600, 600, 240, 160), figure);
    store.EndDoc();
    const QString pdf = dir_.filePath("photo.pdf");
    QVERIFY(page_pdf::write(store, pdf));

    const QList<ListedImage> images = listImages(pdf);
    QCOMPARE(images.size(), 1);
    QCOMPARE(images[0].encoding, QStringLiteral("jpeg"));
    QCOMPARE(images[0].interpolate, QStringLiteral("no"));
    const QString prefix = dir_.filePath("photo");
    QCOMPARE(pdf_text::output("pdfimages", {"-j", pdf, prefix}), QString());
    QFile extracted(prefix + "-000.jpg");
    QVERIFY(extracted.open(QIODevice::ReadOnly));
    QVERIFY2(extracted.readAll() == jpeg, "the image stream is not the file's JPEG data");
}

// Chapters at the top, sections under the chapter before them, a section before any chapter
// at the top; each to its page. The document information and the page mode.
void TestPdfFinisher::outlineBecomesBookmarks() {
    if (!haveTools({"qpdf", "pdfinfo"}))
        QSKIP("qpdf or pdfinfo is not installed");
    TPrintPreview store;
    store.BeginDoc();
    for (int page = 1; page < 5; ++page)
        store.NewPage();
    store.EndDoc();
    store.setOutline({{2, 1, QStringLiteral("まえがき")},
                      {1, 2, QStringLiteral("1.  建物概要")},
                      {2, 3, QStringLiteral("1.1  構造概要")},
                      {2, 3, QStringLiteral("1.2  使用材料")},
                      {1, 5, QStringLiteral("2.  荷重")}});
    page_pdf::PdfDocument document;
    document.title = QStringLiteral("報告書.txt");
    document.outline = store.outline();
    const QString pdf = dir_.filePath("outline.pdf");
    QVERIFY(page_pdf::write(store, pdf, nullptr, document));

    const QJsonArray top = qpdfJson(pdf, {"outlines"})["outlines"].toArray();
    const auto entry = [](const QJsonValue& v) {
        const QJsonObject o = v.toObject();
        return QStringLiteral("%1 p%2 %3")
            .arg(o["title"].toString())
            .arg(o["destpageposfrom1"].toInt())
            .arg(o["kids"].toArray().size());
    };
    QStringList read;
    for (const QJsonValue& v : top) {
        read << entry(v);
        for (const QJsonValue& kid : v.toObject()["kids"].toArray())
            read << "  " + entry(kid);
    }
    QCOMPARE(read, QStringList({"まえがき p1 0", "1.  建物概要 p2 2", "  1.1  構造概要 p3 0",
                                "  1.2  使用材料 p3 0", "2.  荷重 p5 0"}));
    // Each to the top of its page.
    const QJsonArray dest = top[1].toObject()["dest"].toArray();
    QCOMPARE(dest.size(), 5);
    QCOMPARE(dest[1].toString(), QStringLiteral("/XYZ"));
    QVERIFY(dest[3].toDouble() > 800); // A4 portrait: 842 points high

    const QString info = pdf_text::output("pdfinfo", {pdf});
    const QString program = QStringLiteral("Folioscope " FOLIOSCOPE_VERSION_TEXT);
    QVERIFY2(info.contains(QRegularExpression("Title: +報告書.txt\n")), qPrintable(info));
    QVERIFY2(info.contains(QRegularExpression("Creator: +" + program + "\n")), qPrintable(info));
    QVERIFY2(info.contains(QRegularExpression("Producer: +" + program + "\n")), qPrintable(info));
    const QString trailer = pdf_text::output("qpdf", {"--show-object=trailer", pdf});
    const QString root = QRegularExpression("/Root (\\d+) 0 R").match(trailer).captured(1);
    QVERIFY2(!root.isEmpty(), qPrintable(trailer));
    const QString catalog = pdf_text::output("qpdf", {"--show-object=" + root, pdf});
    QVERIFY2(catalog.contains("/PageMode /UseOutlines"), qPrintable(catalog));
}

// A label of 10 MB with control bytes, a lone surrogate and mojibake: the file passes
// qpdf --check and the bookmark holds the label's start, shortened.
void TestPdfFinisher::hostileLabelsLeaveAValidFile() {
    if (!haveTools({"qpdf"}))
        QSKIP("qpdf is not installed");
    QString hostile = QStringLiteral("\x01\x02)(\\\r\n") + QChar(0xD800) + QStringLiteral("ｱｲｳ繧ｻ");
    hostile += QString(10 * 1024 * 1024, QChar(0x0007));
    TPrintPreview store;
    store.BeginDoc();
    store.NewPage();
    store.EndDoc();
    store.setOutline({{1, 1, hostile}, {2, 2, QString(QChar(0))}, {1, 2, QStringLiteral("(")}});
    page_pdf::PdfDocument document;
    document.title = hostile;
    document.outline = store.outline();
    const QString pdf = dir_.filePath("hostile.pdf");
    QVERIFY(page_pdf::write(store, pdf, nullptr, document));

    QProcess check;
    check.start("qpdf", {"--check", pdf});
    QVERIFY(check.waitForFinished(60000));
    QCOMPARE(check.exitCode(), 0);
    const QJsonArray top = qpdfJson(pdf, {"outlines"})["outlines"].toArray();
    QCOMPARE(top.size(), 2);
    const QString title = top[0].toObject()["title"].toString();
    QVERIFY(title.size() <= PdfFinisher::MaxLabelLength);
    QVERIFY(title.startsWith(QStringLiteral("\x01\x02)(\\")));
    QCOMPARE(top[0].toObject()["kids"].toArray().size(), 1);
    QCOMPARE(top[1].toObject()["title"].toString(), QStringLiteral("("));
    QCOMPARE(QFileInfo(pdf).size() < 100 * 1024, true);
}

QTEST_MAIN(TestPdfFinisher)
#include "tst_PdfFinisher.moc"
