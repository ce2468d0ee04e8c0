#include <QTest>

#include "pages/CachedFont.h"
#include "pages/PageRecording.h"
#include "pages/RecordingCanvas.h"
#include "platform/FontSubstitution.h"

class TestRecordingCanvas : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { font_substitution::install(); }

    void freshCanvas() {
        PageRecording page(QSize(4958, 7017));
        const RecordingCanvas canvas(page, 600);
        QCOMPARE(canvas.fontFace(), font_substitution::defaultFace());
        QCOMPARE(canvas.fontSize(), 9);
        QCOMPARE(canvas.fontPixelSize(), 75);
        QCOMPARE(canvas.pen(), (PenSpec{1, PenStyle::Solid, qRgb(0, 0, 0)}));
        QCOMPARE(canvas.brush(), std::optional<QRgb>(qRgb(255, 255, 255)));
        QCOMPARE(canvas.textColor(), qRgb(0, 0, 0));
        QCOMPARE(canvas.textExtra(), 0);
        QVERIFY(page.records().empty());
    }

    void pointsBecomeDotsAtTheVerticalResolution_data() {
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("dpiY");
        QTest::addColumn<int>("pixels");
        QTest::newRow("9pt 600dpi") << 9 << 600 << 75;
        QTest::newRow("11pt 600dpi 91.67") << 11 << 600 << 92;
        QTest::newRow("9pt 300dpi 37.5 to even") << 9 << 300 << 38;
        QTest::newRow("3pt 300dpi 12.5 to even") << 3 << 300 << 12;
        QTest::newRow("9pt 72dpi") << 9 << 72 << 9;
        QTest::newRow("11pt 1200dpi 183.3") << 11 << 1200 << 183;
        QTest::newRow("0pt still one pixel") << 0 << 600 << 1;
    }
    void pointsBecomeDotsAtTheVerticalResolution() {
        QFETCH(int, points);
        QFETCH(int, dpiY);
        QFETCH(int, pixels);
        PageRecording page(QSize(100, 100));
        RecordingCanvas canvas(page, dpiY);
        canvas.setFontSize(points);
        QCOMPARE(canvas.fontPixelSize(), pixels);
        QCOMPARE(CachedFont::get(FontSpec{canvas.fontFace(), pixels}).font().pixelSize(), pixels);
    }

    void textMetrics() {
        PageRecording page(QSize(4958, 7017));
        RecordingCanvas canvas(page, 600);
        canvas.setFont(QStringLiteral("ＭＳ 明朝"), 11); // 92 dots
        // IPAMincho: box characters one em, ASCII half an em (integer advances may round).
        const int box = canvas.textWidth("\x84\xA1");
        QVERIFY2(qAbs(box - 92) <= 1, qPrintable(QString::number(box)));
        QVERIFY(qAbs(2 * canvas.textWidth("A") - 92) <= 2);
        // The sum of the characters' advances: a double-byte character is one character.
        const QByteArray mixed("A\x82\xA0"
                               "B");
        QCOMPARE(canvas.textWidth(mixed),
                 canvas.textWidth("A") + canvas.textWidth("\x82\xA0") + canvas.textWidth("B"));
        canvas.setTextExtra(3);
        QCOMPARE(canvas.textWidth(mixed),
                 canvas.textWidth("A") + canvas.textWidth("\x82\xA0") +
                     canvas.textWidth("B")); // +3 per character, not per byte
        canvas.setTextExtra(0);
        const int plain = canvas.textWidth(mixed);
        canvas.setTextExtra(3);
        QCOMPARE(canvas.textWidth(mixed), plain + 3 * 3);
        // Height is the cell of the font, whatever the text.
        QCOMPARE(canvas.textHeight("A"), canvas.textHeight("\x84\xA1"));
        QVERIFY(canvas.textHeight("A") >= 92);
        QCOMPARE(canvas.textHeight(""), canvas.textHeight("A"));
    }

    void textOutTakesOneHalfPitchCellPerByte() {
        PageRecording page(QSize(4958, 7017));
        RecordingCanvas canvas(page, 600);
        canvas.setFont(QStringLiteral("ＭＳ 明朝"), 11);
        const int cell = canvas.textWidth("\x84\xA1") / 2;
        canvas.setTextExtra(2);
        canvas.setTextColor(qRgb(10, 20, 30));
        // Three characters in four bytes: "A", "あ", "B"; then a lead byte left alone at the end.
        canvas.textOut(120, 340,
                       "A\x82\xA0"
                       "B");
        canvas.setBrush(std::nullopt);
        canvas.textOut(0, 0, "A\x82");
        QCOMPARE(page.records().size(), size_t(2));
        const auto& run = std::get<TextRecord>(page.records()[0]);
        QCOMPARE(run.topLeft, QPoint(120, 340));
        QCOMPARE(run.bytes, QByteArray("A\x82\xA0"
                                       "B"));
        QCOMPARE(run.cellWidth, cell);
        QCOMPARE(run.extraSpacing, 2);
        QCOMPARE(run.box, QSize(4 * cell + 3 * 2, canvas.textHeight("A")));
        QCOMPARE(run.color, qRgb(10, 20, 30));
        QCOMPARE(run.background, std::optional<QRgb>(qRgb(255, 255, 255)));
        const auto& clear = std::get<TextRecord>(page.records()[1]);
        QCOMPARE(clear.box.width(), 2 * cell + 2 * 2);
        QVERIFY(!clear.background);
    }

    void linesAndShapes() {
        PageRecording page(QSize(1000, 1000));
        RecordingCanvas canvas(page, 600);
        canvas.moveTo(10, 20);
        canvas.setPenWidth(3);
        canvas.lineTo(110, 20);
        canvas.setPenStyle(PenStyle::Dot);
        canvas.lineTo(110, 220); // continues from where the last line ended
        QCOMPARE(canvas.penPos(), QPoint(110, 220));
        const auto& first = std::get<LineRecord>(page.records()[0]);
        const auto& second = std::get<LineRecord>(page.records()[1]);
        QCOMPARE(first.from, QPoint(10, 20));
        QCOMPARE(first.pen, (PenSpec{3, PenStyle::Solid, qRgb(0, 0, 0)}));
        QCOMPARE(second.from, QPoint(110, 20));
        QCOMPARE(second.pen.style, PenStyle::Dot);

        canvas.polyline({});
        QCOMPARE(page.records().size(), size_t(2));
        canvas.polyline({QPoint(1, 1), QPoint(5, 9), QPoint(7, 3)});
        QCOMPARE(canvas.penPos(), QPoint(7, 3));

        canvas.setBrush(qRgb(200, 0, 0));
        canvas.rectangle(QRect(5, 5, 50, 40));
        canvas.fillRect(QRect(1, 2, 3, 4));
        canvas.setBrush(std::nullopt);
        canvas.rectangle(QRect(6, 6, 10, 10));
        canvas.fillRect(QRect(1, 2, 3, 4)); // nothing to fill with
        QCOMPARE(page.records().size(), size_t(6));
        const auto& filled = std::get<RectangleRecord>(page.records()[3]);
        QCOMPARE(filled.fill, std::optional<QRgb>(qRgb(200, 0, 0)));
        QCOMPARE(filled.pen.width, 3);
        QCOMPARE(std::get<FillRecord>(page.records()[4]).color, qRgb(200, 0, 0));
        QVERIFY(!std::get<RectangleRecord>(page.records()[5]).fill);
    }

    void recordsComeBackInDrawingOrder() {
        PageRecording page(QSize(1000, 1000));
        RecordingCanvas canvas(page, 600);
        auto image = std::make_shared<const QImage>(4, 4, QImage::Format_RGB32);
        canvas.textOut(1, 2, "first");
        canvas.lineTo(10, 10);
        canvas.polyline({QPoint(0, 0), QPoint(3, 3)});
        canvas.rectangle(QRect(0, 0, 5, 5));
        canvas.fillRect(QRect(1, 1, 2, 2));
        canvas.stretchDraw(QRect(0, 0, 8, 8), image, true);
        canvas.drawFigure(QRect(0, 0, 9, 9), nullptr);
        canvas.setPenWidth(2);
        canvas.lineTo(20, 20);
        canvas.setBrush(std::nullopt);
        canvas.textOut(3, 4, "last");
        // A record appended whole keeps its values too.
        page.append(
            TextRecord{QPoint(7, 8), "ab", 0, 11, 1, QSize(24, 30), qRgb(1, 2, 3), qRgb(4, 5, 6)});

        const std::vector<PageRecord>& records = page.records();
        QCOMPARE(records.size(), size_t(10));
        QCOMPARE(page.recordCount(), size_t(10));
        const std::vector<size_t> kinds = {0, 1, 2, 3, 4, 5, 6, 1, 0, 0};
        for (size_t i = 0; i < kinds.size(); ++i)
            QCOMPARE(records[i].index(), kinds[i]);
        QCOMPARE(std::get<TextRecord>(records[0]).bytes, QByteArray("first"));
        QCOMPARE(std::get<TextRecord>(records[8]).bytes, QByteArray("last"));
        QVERIFY(!std::get<TextRecord>(records[8]).background);
        QCOMPARE(std::get<LineRecord>(records[7]).from, QPoint(3, 3)); // where the polyline ended
        QCOMPARE(std::get<LineRecord>(records[7]).pen.width, 2);
        QCOMPARE(std::get<LineRecord>(records[1]).pen.width, 1);
        QCOMPARE(std::get<ImageRecord>(records[5]).image, image);
        QVERIFY(std::get<ImageRecord>(records[5]).smooth);
        const auto& whole = std::get<TextRecord>(records[9]);
        QCOMPARE(whole.topLeft, QPoint(7, 8));
        QCOMPARE(whole.bytes, QByteArray("ab"));
        QCOMPARE(whole.cellWidth, 11);
        QCOMPARE(whole.extraSpacing, 1);
        QCOMPARE(whole.box, QSize(24, 30));
        QCOMPARE(whole.color, qRgb(1, 2, 3));
        QCOMPARE(whole.background, std::optional<QRgb>(qRgb(4, 5, 6)));

        // Records added after a look stay in order behind the earlier ones.
        canvas.textOut(0, 0, "later");
        QCOMPARE(page.records().size(), size_t(11));
        QCOMPARE(std::get<TextRecord>(page.records().back()).bytes, QByteArray("later"));
        QCOMPARE(std::get<TextRecord>(page.records().front()).bytes, QByteArray("first"));
    }

    void aDensePageTakesAFewKilobytesBesidesItsText() {
        // 80 text runs of 100 bytes and 200 rules, as on a page of a long table.
        PageRecording page(QSize(4958, 7017));
        RecordingCanvas canvas(page, 600);
        const QByteArray run(100, 'x');
        for (int i = 0; i < 80; ++i)
            canvas.textOut(200, 300 + 80 * i, run);
        for (int i = 0; i < 200; ++i) {
            canvas.moveTo(200, 300 + 30 * i);
            canvas.lineTo(4700, 300 + 30 * i);
        }
        page.squeeze();
        const std::size_t besidesText = page.storageBytes() - 80 * 100;
        QVERIFY2(besidesText < 10 * 1024, qPrintable(QString::number(besidesText)));
    }
};

QTEST_MAIN(TestRecordingCanvas)
#include "tst_RecordingCanvas.moc"
