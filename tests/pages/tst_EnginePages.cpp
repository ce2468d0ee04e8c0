// A long document written by several PDF engines at once and joined, and the first pages
// written while the layout runs: every page in its place with its text, a figure on pages of
// different slices still one image, bookmarks to pages of later slices, a stop asked in the
// middle that ends every slice and leaves no file, a failed layout that drops its slice.

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPrinter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "pages/CurrentPrinter.h"
#include "pages/EnginePages.h"
#include "pages/FollowingSlice.h"
#include "pages/PagePdfWriter.h"
#include "pages/PagePrinter.h"
#include "pages/PrintPreview.h"
#include "pages/PrintProgress.h"
#include "support/PdfText.h"

namespace {

constexpr int PageCount = 2 * engine_pages::MinSlicePages + 3;

QByteArray bitmapBytes() {
    QImage image(120, 80, QImage::Format_RGB32);
    image.fill(qRgb(40, 120, 200));
    image.setPixel(3, 5, qRgb(250, 10, 10)); // not one colour: the engine would write it grey
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

// Pages "page001" … with the same figure on the second and the last page.
void record(TPrintPreview& store, int count = PageCount) {
    const auto figure = EncodedImage::fromBytes(bitmapBytes(), EncodedImage::Format::Bitmap);
    store.BeginDoc();
    for (int n = 1; n <= count; ++n) {
        if (n > 1)
            store.NewPage();
        RecordingCanvas& canvas = store.GetCanvas();
        canvas.setFont(QStringLiteral("ＭＳ 明朝"), 12);
        canvas.textOut(600, 600, QStringLiteral("page%1").arg(n, 3, 10, QChar('0')).toLatin1());
        if (n == 2 || n == count)
            canvas.drawEncodedImage(QRect(600, 1200, 1200, 800), figure, {}, true);
    }
    store.EndDoc();
}

class CountingProgress : public PrintProgress {
public:
    explicit CountingProgress(int stopAt = 0) : stopAt_(stopAt) {}
    void start(int pageCount) override { total = pageCount; }
    bool step(int pagesDone) override {
        monotonic = monotonic && pagesDone >= last;
        last = pagesDone;
        return stopAt_ == 0 || pagesDone < stopAt_;
    }
    void finish() override { ++finishes; }
    int total = 0, last = 0, finishes = 0;
    bool monotonic = true;

private:
    int stopAt_;
};

} // namespace

class TestEnginePages : public QObject {
    Q_OBJECT
private slots:
    void joinedPagesKeepTheirOrderFiguresAndBookmarks_data() {
        QTest::addColumn<bool>("printJob");
        QTest::addColumn<bool>("followLayout");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("stopAt"); // the page count at which progress asks to stop
        QTest::newRow("PDF file") << false << false << PageCount << 0;
        QTest::newRow("print job, pages 2 to the end") << true << false << PageCount << 0;
        QTest::newRow("PDF file, first pages played during the layout")
            << false << true << PageCount << 0;
        QTest::newRow("short PDF file played during the layout") << false << true << 5 << 0;
        QTest::newRow("stopped") << false << false << PageCount << 20;
        QTest::newRow("stopped, first pages played during the layout")
            << false << true << PageCount << 20;
    }
    void joinedPagesKeepTheirOrderFiguresAndBookmarks() {
        QFETCH(bool, printJob);
        QFETCH(bool, followLayout);
        QFETCH(int, count);
        QFETCH(int, stopAt);
        if (QStandardPaths::findExecutable("pdfimages").isEmpty() ||
            QStandardPaths::findExecutable("qpdf").isEmpty())
            QSKIP("pdfimages (poppler-utils) or qpdf is not installed");
        if (!followLayout && engine_pages::sliceCount(count) < 2)
            QSKIP("one processor: a document is written as one slice");
        TPrintPreview store;
        QTemporaryDir dir;
        const QString pdf = dir.filePath("out.pdf");
        page_pdf::PdfDocument document;
        std::unique_ptr<FollowingSlice> following;
        if (followLayout)
            following = std::make_unique<FollowingSlice>(
                store, page_pdf::engineSetup(store.referenceDevice(), document, pdf));
        record(store, count);
        CountingProgress progress(stopAt);
        if (stopAt) { // every slice ends: no file, nothing left beside it, progress closed once
            QVERIFY(!page_pdf::write(store, pdf, &progress, document, following.get()));
            QVERIFY(progress.last < count);
            QCOMPARE(progress.finishes, 1);
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
            return;
        }
        const int first = printJob ? 2 : 1;
        if (printJob) {
            auto printer = current_printer::createPdfPrinter();
            printer->setOutputFileName(pdf);
            const TPrinterInfo info = store.referenceDevice();
            QCOMPARE(page_printer::print(store, *printer, info, first, count, &progress).Pages,
                     count - 1);
        } else {
            document.outline = {{1, 1, QStringLiteral("first")}, {1, count - 1, "late"}};
            QVERIFY(page_pdf::write(store, pdf, &progress, document, following.get()));
        }
        const int pages = count - first + 1;
        QCOMPARE(progress.total, pages);
        QCOMPARE(progress.last, pages); // the pages of every slice were reported
        QVERIFY(progress.monotonic);
        QCOMPARE(progress.finishes, 1);

        QVERIFY(pdf_text::output("qpdf", {"--check", pdf}).contains("No syntax or stream"));
        const QStringList texts = pdf_text::output("pdftotext", {pdf, "-"}).split('\f');
        QCOMPARE(texts.size(), pages + 1); // the text ends with a form feed
        for (int i = 0; i < pages; ++i)
            QCOMPARE(texts[i].trimmed(),
                     QStringLiteral("page%1").arg(first + i, 3, 10, QChar('0')));

        // One image object shown on the second and the last page, with the smoothing flag.
        QStringList rows;
        for (const QString& line :
             pdf_text::output("pdfimages", {"-list", pdf}).split('\n').mid(2)) {
            const QStringList f = line.simplified().split(' ');
            if (f.size() >= 11)
                rows << QStringLiteral("%1x%2 %3 obj%4").arg(f[3], f[4], f[9], f[10]);
        }
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[1], rows[0]);
        QVERIFY2(rows[0].startsWith("120x80 yes"), qPrintable(rows[0]));

        if (printJob)
            return;
        const QJsonArray outline =
            QJsonDocument::fromJson(
                pdf_text::output("qpdf", {"--json", "--json-key=outlines", pdf}).toUtf8())
                .object()["outlines"]
                .toArray();
        QCOMPARE(outline.size(), 2);
        QCOMPARE(outline[1].toObject()["destpageposfrom1"].toInt(), count - 1);
    }

    // A layout that fails part of the way: the slice that followed it is dropped, without
    // waiting for pages that never come.
    void aFollowingSliceOfAFailedLayoutIsDropped() {
        TPrintPreview store;
        {
            FollowingSlice following(
                store, page_pdf::engineSetup(store.referenceDevice(), {}, "unused.pdf"));
            store.BeginDoc();
            for (int n = 0; n < 3; ++n)
                store.NewPage();
            QTRY_COMPARE(following.pagesDone(), 3);
        }
        store.EndDoc(); // no one is told any more
        QCOMPARE(store.PageCount(), 4);
    }
};

QTEST_MAIN(TestEnginePages)
#include "tst_EnginePages.moc"
