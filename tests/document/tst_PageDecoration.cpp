#include <QTest>
#include <limits>

#include "document/LineRenderer.h"
#include "document/PageDecoration.h"
#include "pages/PrintPreview.h"
#include "platform/FontSubstitution.h"

namespace {

// A document with the frame margins left, top, right, bottom (mm) on paper of 4960 x 7016
// dots at 600 dpi (the size a printer reports for A4), or on A4 at another dpi.
struct Doc {
    LayoutState state;
    TOutputSettings settings;
    TPrintPreview store;
    PageDecoration decoration{state, store, settings};

    explicit Doc(int dpi, std::array<int, 4> margins = {10, 15, 10, 10}) {
        state.PrinterInfo = dpi == 600
                                ? TPrinterInfo::fromDots(4960, 7016, 4960, 7016, 0, 0, 600, 600)
                                : TPrinterInfo::forPaper(QSizeF(210, 297), dpi);
        store.setReferenceDevice(state.PrinterInfo);
        settings.FrameLeftMarginMm = margins[0];
        settings.FrameTopMarginMm = margins[1];
        settings.FrameRightMarginMm = margins[2];
        settings.FrameBottomMarginMm = margins[3];
        state.CurFont = TextFont{QStringLiteral("ＭＳ 明朝"), 9};
        decoration.CalcFrameGeometry();
        store.BeginDoc();
        decoration.calcPageNumberPosition();
    }
    const PageRecording& page(int index) {
        if (store.Printing())
            store.EndDoc();
        return store.GetPage(index);
    }
    template <typename T> std::vector<T> records(int index) {
        std::vector<T> out;
        for (const PageRecord& r : page(index).records())
            if (const auto* t = std::get_if<T>(&r))
                out.push_back(*t);
        return out;
    }
};

} // namespace

class TestPageDecoration : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { font_substitution::install(); }

    void frameAt600Dpi() {
        Doc doc(600);
        QCOMPARE(doc.state.PrinterInfo.PaperWidthDots, 4960);
        QCOMPARE(doc.state.PrinterInfo.PaperHeightDots, 7016);
        QCOMPARE(doc.state.FrameLeft, 236);
        QCOMPARE(doc.state.FrameTop, 354);
        QCOMPARE(doc.state.FrameWidth, 4488);  // 4960 - 236 - 236
        QCOMPARE(doc.state.FrameHeight, 6426); // 7016 - 354 - 236
        const std::array<QPoint, 5> outline = {QPoint(236, 354), QPoint(4724, 354),
                                               QPoint(4724, 6780), QPoint(236, 6780),
                                               QPoint(236, 354)};
        QCOMPARE(doc.state.FramePoints, outline);
    }

    void frameMarginsAreTruncated() {
        // 13 mm at 72 dpi is 36.85 dots: 36, not 37. Paper 595 x 842.
        Doc doc(72, {13, 13, 13, 13});
        QCOMPARE(doc.state.FrameLeft, 36);
        QCOMPARE(doc.state.FrameTop, 36);
        QCOMPARE(doc.state.FrameWidth, 595 - 36 - 36);
        QCOMPARE(doc.state.FrameHeight, 842 - 36 - 36);
    }

    void pageNumberPosition() {
        Doc doc(600);
        // The format text itself, measured in the canvas a new page starts with.
        RecordingCanvas& canvas = doc.store.GetCanvas();
        QCOMPARE(canvas.fontSize(), 9);
        const int wf = canvas.textWidth("Page  %-4d ");
        const int hf = canvas.textHeight("Page  %-4d ");
        QCOMPARE(doc.state.PageNoRuleY, 354 - 47);
        QCOMPARE(doc.state.PageNoY, 354 - 70 - hf);
        QCOMPARE(doc.state.PageNoX, 4724 - wf - 100);

        // The layout may already have set its own font: the position does not change.
        const LayoutState before = doc.state;
        canvas.setFont(QStringLiteral("ＭＳ ゴシック"), 20);
        doc.decoration.calcPageNumberPosition();
        QCOMPARE(doc.state.PageNoX, before.PageNoX);
        QCOMPARE(doc.state.PageNoY, before.PageNoY);
        QCOMPARE(canvas.fontSize(), 20);
    }

    void pageNumberTexts_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::newRow("from 1") << 1 << QByteArray("Page  1    ") << QByteArray("Page  2    ");
        QTest::newRow("from 5") << 5 << QByteArray("Page  5    ") << QByteArray("Page  6    ");
        QTest::newRow("from 0") << 0 << QByteArray("Page  0    ") << QByteArray("Page  1    ");
        QTest::newRow("from -3") << -3 << QByteArray("Page  -3   ") << QByteArray("Page  -2   ");
        QTest::newRow("no number") << -1 << QByteArray("Page      ") << QByteArray("Page      ");
        QTest::newRow("five digits")
            << 12345 << QByteArray("Page  12345 ") << QByteArray("Page  12346 ");
        QTest::newRow("past the int range")
            << std::numeric_limits<int>::max() << QByteArray("Page  2147483647 ")
            << QByteArray("Page  2147483648 ");
    }
    void pageNumberTexts() {
        QFETCH(int, start);
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        Doc doc(600);
        doc.settings.DrawPageNumber = 1;
        doc.settings.PageNumberStart = start;
        doc.settings.FrameColor = 0x00FF8000; // blue FF, green 80, red 00
        doc.state.PenWidth = 2;
        doc.decoration.DrawPageDecoration(1);
        doc.store.NewPage();
        doc.decoration.DrawPageDecoration(1);

        for (int page = 0; page < 2; ++page) {
            const auto texts = doc.records<TextRecord>(page);
            QCOMPARE(texts.size(), size_t(1));
            QCOMPARE(texts[0].bytes, page == 0 ? first : second);
            QCOMPARE(texts[0].topLeft, QPoint(doc.state.PageNoX, doc.state.PageNoY));
            QCOMPARE(texts[0].background, std::optional<QRgb>(qRgb(255, 255, 255)));
            // The rule is drawn even without a number, at PenWidth in the frame colour.
            const auto lines = doc.records<LineRecord>(page);
            QCOMPARE(lines.size(), size_t(1));
            QCOMPARE(lines[0].from, QPoint(doc.state.PageNoX - 50, 307));
            QCOMPARE(lines[0].to, QPoint(4724, 307));
            QCOMPARE(lines[0].pen, (PenSpec{2, PenStyle::Solid, qRgb(0x00, 0x80, 0xFF)}));
        }
    }

    void frameAndPenWidths_data() {
        QTest::addColumn<QString>("widthText");
        QTest::addColumn<int>("frameWidth");
        QTest::newRow("3") << "3" << 3;
        QTest::newRow("not a number") << "x" << 1;
        QTest::newRow("empty") << "" << 1;
    }
    void frameAndPenWidths() {
        QFETCH(QString, widthText);
        QFETCH(int, frameWidth);
        Doc doc(600);
        doc.settings.DrawPageNumber = 1;
        doc.settings.DrawOuterFrame = 1;
        doc.settings.FrameLineWidthText = widthText;
        doc.settings.FrameColor = 0x000000FF; // red
        const int penWidth = PageDecoration::framePenWidth(doc.settings);
        QCOMPARE(penWidth, frameWidth);

        // The canvas pen of the page, whatever it is, comes back unchanged.
        const PenSpec custom{5, PenStyle::Dot, qRgb(1, 2, 3)};
        doc.store.GetCanvas().setPen(custom);
        doc.decoration.DrawPageDecoration(penWidth);
        QCOMPARE(doc.store.GetCanvas().pen(), custom);

        const auto lines = doc.records<LineRecord>(0);
        QCOMPARE(lines.size(), size_t(5));
        QCOMPARE(lines[0].pen, (PenSpec{1, PenStyle::Solid, qRgb(255, 0, 0)}));
        const auto& points = doc.state.FramePoints;
        for (int i = 1; i < 5; ++i) {
            QCOMPARE(lines[size_t(i)].from, points[size_t(i - 1)]);
            QCOMPARE(lines[size_t(i)].to, points[size_t(i)]);
            QCOMPARE(lines[size_t(i)].pen, (PenSpec{frameWidth, PenStyle::Solid, qRgb(255, 0, 0)}));
        }
    }

    void nothingDrawnWhenSwitchedOff() {
        Doc doc(72);
        const PenSpec custom{4, PenStyle::Dot, qRgb(9, 9, 9)};
        doc.store.GetCanvas().setPen(custom);
        doc.decoration.DrawPageDecoration(3);
        QCOMPARE(doc.store.GetCanvas().pen(), custom);
        QVERIFY(doc.page(0).records().empty());
    }

    void pageNumberFollowsTheSelectedFont() {
        Doc doc(600);
        doc.settings.DrawPageNumber = 1;
        doc.settings.FontName[0] = QStringLiteral("ＭＳ ゴシック");
        doc.settings.FontSize[0] = 11;
        LineRenderer renderer(doc.state, doc.store, doc.settings);
        doc.decoration.DrawPageDecoration(1);
        renderer.SelectFont(0);
        QCOMPARE(doc.state.FontHeightDots, 92);
        doc.store.NewPage();
        doc.decoration.DrawPageDecoration(1);
        QCOMPARE(doc.store.GetCanvas().fontFace(), QStringLiteral("ＭＳ ゴシック"));
        QCOMPARE(doc.store.GetCanvas().fontSize(), 11);

        const auto before = doc.records<TextRecord>(0);
        const auto after = doc.records<TextRecord>(1);
        QCOMPARE(doc.page(0).font(before[0].fontIndex),
                 (FontSpec{QStringLiteral("ＭＳ 明朝"), 75}));
        QCOMPARE(doc.page(1).font(after[0].fontIndex),
                 (FontSpec{QStringLiteral("ＭＳ ゴシック"), 92}));
        // Same place whatever the font: the position was fixed in the starting font.
        QCOMPARE(after[0].topLeft, before[0].topLeft);
    }

    void numberFormat() {
        QCOMPARE(PageDecoration::formatNumber("%05d|%d%%|%-3d|%s", -42),
                 QByteArray("-0042|-42%|-42|%s"));
        QCOMPARE(PageDecoration::formatNumber("no number %", 1), QByteArray("no number %"));
    }

    void needsAnOpenDocument() {
        Doc doc(72);
        doc.store.EndDoc();
        QVERIFY_THROWS_EXCEPTION(EPrintPreviewError, doc.decoration.DrawPageDecoration(1));
        QVERIFY_THROWS_EXCEPTION(EPrintPreviewError, doc.decoration.calcPageNumberPosition());
    }
};

QTEST_MAIN(TestPageDecoration)
#include "tst_PageDecoration.moc"
