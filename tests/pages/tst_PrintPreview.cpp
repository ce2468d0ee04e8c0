#include <QTest>
#include <functional>

#include "pages/PagesErrors.h"
#include "pages/PrintPreview.h"
#include "platform/FontSubstitution.h"

namespace {

// The message of the EPrintPreviewError that call raises; empty when it raises none.
QString refusal(const std::function<void()>& call) {
    try {
        call();
    } catch (const EPrintPreviewError& e) {
        return QString::fromUtf8(e.what());
    }
    return QString();
}

// What a refused call must leave as it was: state, canvas, every page and its records.
struct Snapshot {
    bool printing;
    const RecordingCanvas* canvas;
    std::vector<const PageRecording*> pages;
    std::vector<size_t> recordCounts;

    explicit Snapshot(const TPrintPreview& store)
        : printing(store.Printing()), canvas(store.Canvas()) {
        for (const auto& page : store.Pages()) {
            pages.push_back(page.get());
            recordCounts.push_back(page->records().size());
        }
    }
    bool operator==(const Snapshot&) const = default;
};

int textRecords(const PageRecording& page) {
    int n = 0;
    for (const PageRecord& r : page.records())
        n += std::holds_alternative<TextRecord>(r) ? 1 : 0;
    return n;
}

} // namespace

class TestPrintPreview : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { font_substitution::install(); }

    void freshStore() {
        TPrintPreview store;
        QVERIFY(!store.Printing());
        QCOMPARE(store.PageCount(), 0);
        QVERIFY(store.Canvas() == nullptr);
        QVERIFY(store.Pages().empty());
    }

    void idleRefusesWhatNeedsARecording() {
        TPrintPreview store;
        for (int round = 0; round < 2; ++round) {
            // round 0: never began a document; round 1: a finished document of two pages.
            const Snapshot before(store);
            QCOMPARE(refusal([&] { store.NewPage(); }), pages_errors::NewPageNotPrinting);
            QCOMPARE(refusal([&] { store.EndDoc(); }), pages_errors::EndDocNotPrinting);
            QCOMPARE(refusal([&] { store.GetCanvas(); }), pages_errors::GetCanvasNotPrinting);
            QCOMPARE(refusal([&] { store.GetPage(-1); }), pages_errors::GetPageOutOfRange);
            QCOMPARE(refusal([&] { store.GetPage(store.PageCount()); }),
                     pages_errors::GetPageOutOfRange);
            QVERIFY(Snapshot(store) == before);

            store.BeginDoc();
            store.GetCanvas().lineTo(10, 10);
            store.NewPage();
            store.EndDoc();
        }
        QCOMPARE(store.PageCount(), 2);
        QCOMPARE(store.GetPage(0).records().size(), size_t(1));
    }

    void recordingRefusesBeginDocAndGetPage() {
        TPrintPreview store;
        store.BeginDoc();
        QCOMPARE(store.PageCount(), 1);
        store.GetCanvas().textOut(0, 0, "first");
        const Snapshot before(store);
        // Page 1 exists, but pages are not handed out while they are being recorded, and the
        // recording check comes before the range check.
        QCOMPARE(refusal([&] { store.GetPage(0); }), pages_errors::GetPageWhilePrinting);
        QCOMPARE(refusal([&] { store.GetPage(7); }), pages_errors::GetPageWhilePrinting);
        QCOMPARE(refusal([&] { store.GetPage(-1); }), pages_errors::GetPageWhilePrinting);
        QCOMPARE(refusal([&] { store.BeginDoc(); }), pages_errors::BeginDocAlreadyPrinting);
        QVERIFY(Snapshot(store) == before);
        QCOMPARE(&store.GetCanvas(), store.Canvas());
        store.EndDoc();
        QCOMPARE(textRecords(store.GetPage(0)), 1);
    }

    void threePagesRecordedAndReadBack() {
        TPrintPreview store;
        store.BeginDoc();
        for (int page = 0; page < 3; ++page) {
            if (page > 0)
                store.NewPage();
            QCOMPARE(store.PageCount(), page + 1); // the page in progress counts
            QVERIFY(store.Printing());
            RecordingCanvas& canvas = store.GetCanvas();
            QCOMPARE(&canvas, store.Canvas());
            // One text run per page number, page 3 also a rule.
            for (int k = 0; k <= page; ++k)
                canvas.textOut(100, 100 * (k + 1), QByteArray("Page ") + QByteArray::number(page));
            if (page == 2) {
                canvas.moveTo(0, 50);
                canvas.lineTo(500, 50);
            }
        }
        store.EndDoc();
        QVERIFY(!store.Printing());
        QVERIFY(store.Canvas() == nullptr);
        QCOMPARE(store.PageCount(), 3);
        for (int page = 0; page < 3; ++page) {
            const PageRecording& recorded = store.GetPage(page);
            QCOMPARE(&recorded, store.Pages()[size_t(page)].get()); // handed out, not copied
            QCOMPARE(textRecords(recorded), page + 1);
            const auto& text = std::get<TextRecord>(recorded.records().front());
            QCOMPARE(text.bytes, QByteArray("Page ") + QByteArray::number(page));
        }
        const auto& rule = std::get<LineRecord>(store.GetPage(2).records().back());
        QCOMPARE(rule.from, QPoint(0, 50));
        QCOMPARE(rule.to, QPoint(500, 50));
        QCOMPARE(refusal([&] { store.GetPage(3); }), pages_errors::GetPageOutOfRange);
        QCOMPARE(refusal([&] { store.GetPage(-1); }), pages_errors::GetPageOutOfRange);
    }

    void newPageCarriesCanvasState() {
        TPrintPreview store;
        store.setReferenceDevice(TPrinterInfo::forPaper(QSizeF(210, 297), 600));
        store.BeginDoc();
        RecordingCanvas& first = store.GetCanvas();
        first.setFont(QStringLiteral("ＭＳ ゴシック"), 14);
        first.setPen(PenSpec{3, PenStyle::Dot, qRgb(255, 0, 0)});
        first.setBrush(qRgb(0, 0, 255));
        first.setTextColor(qRgb(0, 128, 0));
        first.setCopyMode(7);
        first.setTextFlags(5);
        first.setTextExtra(4);
        first.moveTo(300, 400);
        store.NewPage();

        const RecordingCanvas& next = store.GetCanvas();
        QCOMPARE(next.fontFace(), QStringLiteral("ＭＳ ゴシック"));
        QCOMPARE(next.fontSize(), 14);
        QCOMPARE(next.fontPixelSize(), 117); // Nearest(14 * 600 / 72 = 116.67)
        QCOMPARE(next.pen(), (PenSpec{3, PenStyle::Dot, qRgb(255, 0, 0)}));
        QCOMPARE(next.brush(), std::optional<QRgb>(qRgb(0, 0, 255)));
        QCOMPARE(next.textColor(), qRgb(0, 128, 0));
        QCOMPARE(next.copyMode(), 7);
        QCOMPARE(next.textFlags(), 5);
        // Extra spacing and the pen position belong to the page being drawn, not to the font,
        // pen or brush: a new page starts without them.
        QCOMPARE(next.textExtra(), 0);
        QCOMPARE(next.penPos(), QPoint(0, 0));

        // A clear brush is carried as well.
        store.GetCanvas().setBrush(std::nullopt);
        store.NewPage();
        QVERIFY(!store.GetCanvas().brush());
        store.EndDoc();
    }

    void newDocumentStartsAfresh() {
        TPrintPreview store;
        store.BeginDoc();
        store.GetCanvas().setFontSize(20);
        store.GetCanvas().textOut(0, 0, "old");
        store.NewPage();
        store.EndDoc();
        QCOMPARE(store.PageCount(), 2);
        // A page handed out shared outlives the document (a picture drawn on another thread).
        const std::shared_ptr<const PageRecording> kept = store.GetSharedPage(0);

        store.BeginDoc();
        QCOMPARE(refusal([&] { store.GetSharedPage(0); }), pages_errors::GetPageWhilePrinting);
        QCOMPARE(textRecords(*kept), 1);
        QCOMPARE(store.PageCount(), 1);
        // A new document's first canvas has no predecessor: 9 points in the default face.
        QCOMPARE(store.GetCanvas().fontSize(), 9);
        QCOMPARE(store.GetCanvas().fontFace(), font_substitution::defaultFace());
        store.EndDoc();
        QVERIFY(store.GetPage(0).records().empty());
    }

    void pagesFollowTheReferenceDevice() {
        TPrintPreview store;
        const TPrinterInfo printer =
            TPrinterInfo::fromDots(2480, 3508, 2380, 3408, 50, 50, 300, 300);
        store.setReferenceDevice(printer);
        store.BeginDoc();
        QCOMPARE(store.GetCanvas().dpiY(), 300);
        QCOMPARE(store.GetCanvas().fontPixelSize(), 38); // Nearest(9 * 300 / 72 = 37.5)
        store.EndDoc();
        // A page reports the printable area in dots, as the reference device does.
        QCOMPARE(store.GetPage(0).width(), 2380);
        QCOMPARE(store.GetPage(0).height(), 3408);
    }

    void destroyedInTheMiddleOfADocument() {
        auto store = std::make_unique<TPrintPreview>();
        store->BeginDoc();
        store->GetCanvas().textOut(10, 10, "a");
        store->NewPage();
        store->GetCanvas().lineTo(5, 5);
        store.reset(); // frees the open canvas and both pages
        QVERIFY(!store);
    }
};

QTEST_MAIN(TestPrintPreview)
#include "tst_PrintPreview.moc"
