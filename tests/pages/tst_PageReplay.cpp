#include <QDir>
#include <QFile>
#include <QGlyphRun>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "pages/CachedFont.h"
#include "pages/PageRecording.h"
#include "pages/RecordingCanvas.h"
#include "platform/Cp932.h"
#include "platform/FontSubstitution.h"
#include "support/PdfText.h"

namespace {

// Black or dark grey ink; the blue background and the red fill are not dark.
bool dark(const QImage& image, int x, int y) {
    const QRgb c = image.pixel(x, y);
    return qRed(c) < 128 && qGreen(c) < 128 && qBlue(c) < 128;
}

// Rows (or columns) of image in [from, to) that hold a dark pixel somewhere in the given span
// across.
QList<int> darkRows(const QImage& image, int xFrom, int xTo, int yFrom, int yTo) {
    QList<int> rows;
    for (int y = yFrom; y < yTo; ++y)
        for (int x = xFrom; x < xTo; ++x)
            if (dark(image, x, y)) {
                rows.append(y);
                break;
            }
    return rows;
}
QList<int> darkColumns(const QImage& image, int xFrom, int xTo, int yFrom, int yTo) {
    return darkRows(image.transformed(QTransform(0, 1, 1, 0, 0, 0)), yFrom, yTo, xFrom, xTo);
}

// Replays page onto a 600-dpi A4 PDF without margins: one recorded dot on one PDF dot.
void writeA4Pdf(const PageRecording& page, const QString& pdf) {
    QPdfWriter writer(pdf);
    writer.setResolution(600);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter(&writer);
    page.replay(painter);
}

// A page at 72 dpi with one of everything: a rule, a filled box, an outlined box and a text
// run over its white box.
struct SamplePage {
    PageRecording page{QSize(300, 200)};
    QRect fill{100, 10, 30, 20};
    QRect outline{20, 80, 40, 30};
    QPoint textAt{140, 80};
    QSize textBox;
    int cell = 0;

    SamplePage() {
        RecordingCanvas canvas(page, 72);
        canvas.moveTo(10, 20);
        canvas.lineTo(60, 20);
        canvas.moveTo(80, 10);
        canvas.lineTo(80, 60);
        canvas.setBrush(qRgb(255, 0, 0));
        canvas.fillRect(fill);
        canvas.setBrush(std::nullopt);
        canvas.rectangle(outline);
        canvas.setBrush(qRgb(255, 255, 255));
        canvas.setFont(QStringLiteral("ＭＳ 明朝"), 24);
        canvas.textOut(textAt.x(), textAt.y(), "AB");
        const auto& text = std::get<TextRecord>(page.records().back());
        textBox = text.box;
        cell = text.cellWidth;
    }

    // Replays onto a blue image of size with the painter prepared by setup.
    QImage replay(QSize size, QPoint origin, const std::function<void(QPainter&)>& setup = {}) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(qRgb(0, 0, 255));
        QPainter painter(&image);
        if (setup)
            setup(painter);
        page.replay(painter, origin);
        return image;
    }
};

const QRgb blue = qRgb(0, 0, 255);

} // namespace

class TestPageReplay : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { font_substitution::install(); }

    void textStaysSearchableInPdf() {
        PageRecording page(QSize(4960, 7016));
        RecordingCanvas canvas(page, 600);
        canvas.setFont(QStringLiteral("ＭＳ 明朝"), 11);
        canvas.textOut(500, 500, cp932::encode(QStringLiteral("梁 B1 300×600 断面検定")));
        // Box rules, half-width kana, NEC special characters, and a run with extra spacing.
        canvas.textOut(500, 900, cp932::encode(QStringLiteral("┌─┬─┐ ｹﾞﾀ ①㎜Ⅲ")));
        canvas.setTextExtra(20);
        canvas.textOut(500, 1100, cp932::encode(QStringLiteral("応力度")));
        canvas.setTextExtra(0);
        canvas.textOut(500, 700, "Page  1    ");

        QTemporaryDir dir;
        const QString pdf = dir.filePath("page.pdf");
        writeA4Pdf(page, pdf);
        const QString text = pdf_text::output("pdftotext", {"-layout", pdf, "-"}).simplified();
        QVERIFY2(text.contains(QStringLiteral("梁 B1 300×600 断面検定")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Page 1")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("┌─┬─┐ ｹﾞﾀ ①㎜Ⅲ")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("応力度")), qPrintable(text));

        // The words sit where they were recorded: 500 dots at 600 dpi are 60 points.
        const QList<pdf_text::Word> words = pdf_text::words(pdf);
        const pdf_text::Word* word = pdf_text::findWord(words, "Page");
        QVERIFY2(word, qPrintable(text));
        QVERIFY(qAbs(word->xMin - 60.0) < 1.0);
        // The cell's top is at 700 dots (84 points); the word's box lies within the cell.
        const double cellTop = 700 * 72.0 / 600;
        const double cellHeight = canvas.textHeight("P") * 72.0 / 600;
        QVERIFY2(word->yMin >= cellTop - 0.5, qPrintable(QString::number(word->yMin)));
        QVERIFY2(word->yMax <= cellTop + cellHeight + 0.5, qPrintable(QString::number(word->yMax)));
    }

    void oneDotOnOneDeviceDotOnAnImage() {
        SamplePage sample;
        for (const QPoint origin : {QPoint(0, 0), QPoint(15, 25)}) {
            const QImage image = sample.replay(QSize(300, 240), origin);
            const int ox = origin.x();
            const int oy = origin.y();
            // The rule from (10, 20) to (60, 20) covers row 20 only, from column 10 on.
            QCOMPARE(darkRows(image, ox + 12, ox + 58, oy + 10, oy + 30), QList<int>{oy + 20});
            QVERIFY(dark(image, ox + 10, oy + 20));
            QVERIFY(!dark(image, ox + 9, oy + 20));
            QVERIFY(!dark(image, ox + 62, oy + 20));
            QCOMPARE(darkColumns(image, ox + 70, ox + 90, oy + 12, oy + 58), QList<int>{ox + 80});
            // The filled box covers exactly its rectangle.
            const QRect fill = sample.fill.translated(origin);
            QCOMPARE(image.pixel(fill.topLeft()), qRgb(255, 0, 0));
            QCOMPARE(image.pixel(fill.bottomRight()), qRgb(255, 0, 0));
            QCOMPARE(image.pixel(fill.topLeft() - QPoint(1, 0)), blue);
            QCOMPARE(image.pixel(fill.topLeft() - QPoint(0, 1)), blue);
            QCOMPARE(image.pixel(fill.bottomRight() + QPoint(1, 0)), blue);
            QCOMPARE(image.pixel(fill.bottomRight() + QPoint(0, 1)), blue);
            // The outline of a rectangle runs on its outermost pixels, inside unpainted.
            const QRect outline = sample.outline.translated(origin);
            const int midY = outline.center().y();
            QCOMPARE(
                darkColumns(image, outline.left() - 3, outline.right() + 4, midY - 2, midY + 2),
                (QList<int>{outline.left(), outline.right()}));
            const int midX = outline.center().x();
            QCOMPARE(darkRows(image, midX - 2, midX + 2, outline.top() - 3, outline.bottom() + 4),
                     (QList<int>{outline.top(), outline.bottom()}));
            QCOMPARE(image.pixel(outline.center()), blue);
            // The text run: each glyph inside its own cell, the box white where there is no
            // ink, nothing painted around it.
            const QRect box(sample.textAt + origin, sample.textBox);
            for (int y = box.top(); y <= box.bottom(); ++y)
                for (int x = box.left(); x <= box.right(); ++x)
                    QVERIFY(image.pixel(x, y) != blue);
            for (int x = box.left() - 2; x <= box.right() + 2; ++x) {
                QCOMPARE(image.pixel(x, box.top() - 1), blue);
                QCOMPARE(image.pixel(x, box.bottom() + 1), blue);
            }
            for (int k = 0; k < 2; ++k) {
                const int left = box.left() + k * sample.cell;
                QVERIFY(!darkColumns(image, left, left + sample.cell, box.top(), box.bottom() + 1)
                             .isEmpty());
            }
            QCOMPARE(box.width(), 2 * sample.cell);
        }
    }

    void scaledReplay() {
        SamplePage sample;
        // Twice the size: the filled box covers exactly twice its rectangle.
        QImage image = sample.replay(QSize(600, 400), QPoint(), [](QPainter& p) { p.scale(2, 2); });
        const QRect fill(sample.fill.topLeft() * 2, sample.fill.size() * 2);
        QCOMPARE(image.pixel(fill.topLeft()), qRgb(255, 0, 0));
        QCOMPARE(image.pixel(fill.bottomRight()), qRgb(255, 0, 0));
        QCOMPARE(image.pixel(fill.topLeft() - QPoint(1, 1)), blue);
        QCOMPARE(image.pixel(fill.bottomRight() + QPoint(1, 1)), blue);
        // The one-dot rule is two pixels wide, on rows 40 and 41.
        QCOMPARE(darkRows(image, 24, 116, 30, 50), (QList<int>{40, 41}));
        const QRect box(sample.textAt * 2, sample.textBox * 2);
        QCOMPARE(image.pixel(box.topLeft()), qRgb(255, 255, 255));
        QCOMPARE(image.pixel(box.bottomRight()), qRgb(255, 255, 255));
        QCOMPARE(image.pixel(box.bottomRight() + QPoint(1, 1)), blue);

        // Half the size, placed at an offset in the image's pixels.
        image =
            sample.replay(QSize(300, 200), QPoint(40, 60), [](QPainter& p) { p.scale(0.5, 0.5); });
        QCOMPARE(image.pixel(70, 35), qRgb(255, 0, 0)); // fill (100, 10) + (40, 60), halved
        QCOMPARE(image.pixel(69, 35), blue);
        QCOMPARE(darkRows(image, 27, 49, 30, 50), QList<int>{40});
    }

    void oneDotRuleShowsAtATenthOfItsSize() {
        PageRecording page(QSize(4958, 7017));
        RecordingCanvas canvas(page, 600);
        canvas.moveTo(500, 1234);
        canvas.lineTo(4000, 1234);
        canvas.moveTo(2345, 500);
        canvas.lineTo(2345, 6000);
        canvas.setBrush(std::nullopt);
        canvas.rectangle(QRect(3000, 3000, 600, 400));
        const auto check = [&](const std::function<void(QPainter&)>& setup, const char* how) {
            QImage image(496, 702, QImage::Format_RGB32);
            image.fill(Qt::white);
            {
                QPainter painter(&image);
                setup(painter);
                page.replay(painter);
            }
            // Every column under the horizontal rule and every row beside the vertical one
            // has a dark pixel, one pixel wide.
            QCOMPARE(darkRows(image, 60, 220, 110, 135).size(), 1);
            for (int x = 60; x < 390; x += 7)
                QVERIFY2(!darkRows(image, x, x + 1, 120, 126).isEmpty(), how);
            QCOMPARE(darkColumns(image, 220, 250, 140, 290).size(), 1);
            for (int y = 60; y < 590; y += 7)
                QVERIFY2(!darkColumns(image, 232, 237, y, y + 1).isEmpty(), how);
            // The rectangle's outline too.
            QVERIFY2(!darkRows(image, 330, 340, 297, 303).isEmpty(), how);
            QVERIFY2(!darkColumns(image, 297, 303, 320, 330).isEmpty(), how);
        };
        check([](QPainter& p) { p.scale(0.1, 0.1); }, "world transform");
        check(
            [](QPainter& p) {
                p.setRenderHint(QPainter::Antialiasing);
                p.scale(0.1, 0.1);
            },
            "antialiased");
        // The same scale through window and viewport, as a preview widget may set it.
        check(
            [](QPainter& p) {
                p.setWindow(0, 0, 4958, 7017);
                p.setViewport(0, 0, 496, 702);
            },
            "window and viewport");
    }

    void oneDotOnOneDeviceDotInA600DpiPdf() {
        PageRecording page(QSize(4958, 7017));
        RecordingCanvas canvas(page, 600);
        canvas.setBrush(qRgb(0, 0, 0));
        canvas.fillRect(QRect(1000, 2000, 300, 120));
        canvas.moveTo(600, 3000);
        canvas.lineTo(3000, 3000);
        canvas.moveTo(4000, 1000);
        canvas.lineTo(4000, 4000);
        canvas.setPenWidth(3);
        canvas.moveTo(600, 3500);
        canvas.lineTo(3000, 3500);

        QTemporaryDir dir;
        const QString pdf = dir.filePath("page.pdf");
        writeA4Pdf(page, pdf);
        // Rasterised at the resolution it was recorded for, each recorded dot is one pixel.
        QProcess process;
        process.start("pdftoppm", {"-r", "600", "-gray", "-aa", "no", "-aaVector", "no", pdf,
                                   dir.filePath("page")});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        const QStringList rasters = QDir(dir.path()).entryList({"page*.pgm"});
        QCOMPARE(rasters.size(), 1);
        QImageReader::setAllocationLimit(0); // a 600-dpi A4 sheet is larger than the default
        const QImage image(dir.filePath(rasters.first()));
        QVERIFY(!image.isNull());
        QVERIFY(qAbs(image.width() - 4958) <= 1);

        QCOMPARE(
            darkColumns(image, 950, 1350, 2050, 2051), (QList<int>{}) << [] {
                QList<int> columns;
                for (int x = 1000; x < 1300; ++x)
                    columns.append(x);
                return columns;
            }());
        QCOMPARE(darkRows(image, 1100, 1101, 1950, 2170).first(), 2000);
        QCOMPARE(darkRows(image, 1100, 1101, 1950, 2170).last(), 2119);
        QCOMPARE(darkRows(image, 1000, 2500, 2990, 3010), QList<int>{3000});
        QCOMPARE(darkColumns(image, 3990, 4010, 1500, 3500), QList<int>{4000});
        QCOMPARE(darkRows(image, 1000, 2500, 3490, 3510), (QList<int>{3499, 3500, 3501}));
    }

    void laterRecordsPaintOverEarlierOnes() {
        // A rule, then a text run whose white box covers it, then a second rule across the box:
        // replay keeps the order in which they were drawn.
        PageRecording page(QSize(200, 100));
        RecordingCanvas canvas(page, 72);
        canvas.setFont(QStringLiteral("ＭＳ 明朝"), 20);
        canvas.moveTo(0, 30);
        canvas.lineTo(199, 30);
        canvas.textOut(50, 20, "  ");
        canvas.moveTo(0, 25);
        canvas.lineTo(199, 25);
        const QImage image = [&] {
            QImage i(200, 100, QImage::Format_RGB32);
            i.fill(Qt::white);
            QPainter painter(&i);
            page.replay(painter);
            return i;
        }();
        QVERIFY(dark(image, 20, 30));
        QVERIFY(!dark(image, 60, 30)); // under the box
        QVERIFY(dark(image, 60, 25));  // drawn after the box
    }

    void largeGlyphsLookAsQtDrawsThem() {
        // 9 points at 600 dpi is 75 dots, above the size Qt draws from its glyph cache; the
        // page paints such glyphs from images of them. The result must match Qt drawing the
        // same glyph run, also for a second colour and glyphs that occur more than once.
        PageRecording page(QSize(1400, 500));
        RecordingCanvas canvas(page, 600);
        canvas.setFont(QStringLiteral("ＭＳ 明朝"), 9);
        const QByteArray first = cp932::encode(QStringLiteral("梁AgjQ断面┼─ｹﾞ梁"));
        const QByteArray second = cp932::encode(QStringLiteral("Wy検定_"));
        canvas.textOut(13, 20, first);
        canvas.setBrush(std::nullopt);
        canvas.setTextColor(qRgb(200, 30, 60));
        canvas.setTextExtra(5);
        canvas.textOut(40, 90, second); // overlaps the first run's box
        QCOMPARE(canvas.fontPixelSize(), 75);

        const auto blank = [] {
            QImage i(1400, 500, QImage::Format_RGB32);
            i.fill(qRgb(0, 0, 255));
            return i;
        };
        QImage played = blank();
        {
            QPainter painter(&played);
            page.replay(painter, QPoint(7, 11));
        }
        QImage expected = blank();
        {
            QPainter painter(&expected);
            CachedFont& font = CachedFont::get(page.font(0));
            for (const PageRecord& record : page.records()) {
                const auto& r = std::get<TextRecord>(record);
                const QPoint at = r.topLeft + QPoint(7, 11);
                if (r.background)
                    painter.fillRect(QRect(at, r.box), QColor(*r.background));
                QList<quint32> glyphs;
                QList<QPointF> positions;
                int x = 0;
                forEachCp932Char(r.bytes, [&](quint16 code, qsizetype, int n) {
                    glyphs.append(font.glyph(code));
                    positions.append(QPointF(x, 0));
                    x += n * r.cellWidth + r.extraSpacing;
                });
                QGlyphRun run;
                run.setRawFont(font.rawFont());
                run.setGlyphIndexes(glyphs);
                run.setPositions(positions);
                painter.setPen(QColor(r.color));
                painter.drawGlyphRun(QPointF(at.x(), at.y() + font.ascent()), run);
            }
        }
        int differing = 0;
        int worst = 0;
        for (int y = 0; y < 500; ++y)
            for (int x = 0; x < 1400; ++x) {
                const QRgb a = played.pixel(x, y);
                const QRgb b = expected.pixel(x, y);
                const int d = std::max({qAbs(qRed(a) - qRed(b)), qAbs(qGreen(a) - qGreen(b)),
                                        qAbs(qBlue(a) - qBlue(b))});
                differing += d > 0 ? 1 : 0;
                worst = std::max(worst, d);
            }
        // Compositing a glyph image rounds differently from filling the outline: a few edge
        // pixels may differ by a few levels, never a glyph out of place.
        QVERIFY2(worst <= 6 && differing < 200,
                 qPrintable(QString("worst %1, %2 pixels").arg(worst).arg(differing)));
        QVERIFY(!darkRows(played, 20, 1300, 31, 200).isEmpty());
    }

    void glyphsSitOnHalfPitchCells() {
        PageRecording page(QSize(600, 300));
        RecordingCanvas canvas(page, 72);
        canvas.setFont(QStringLiteral("ＭＳ 明朝"), 75);
        const int cell = canvas.textWidth("\x84\xA1") / 2;
        QVERIFY(cell > 30);
        canvas.textOut(10, 10, "AAAA");
        const auto& text = std::get<TextRecord>(page.records().back());
        QCOMPARE(text.cellWidth, cell);
        QCOMPARE(text.box, QSize(4 * cell, canvas.textHeight("AAAA")));

        QImage image(600, 300, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            page.replay(painter);
        }
        // Each "A" starts in its own cell: the leftmost dark column of glyph k lies in
        // [10 + k * cell, 10 + (k + 1) * cell).
        const auto darkInColumns = [&](int from, int to) {
            for (int x = from; x < to; ++x)
                for (int y = 10; y < 10 + text.box.height(); ++y)
                    if (qGray(image.pixel(x, y)) < 128)
                        return true;
            return false;
        };
        for (int k = 0; k < 4; ++k)
            QVERIFY2(darkInColumns(10 + k * cell, 10 + (k + 1) * cell),
                     qPrintable(QString::number(k)));
        QVERIFY(!darkInColumns(10 + 4 * cell + 2, 600));
    }
};

QTEST_MAIN(TestPageReplay)
#include "tst_PageReplay.moc"
