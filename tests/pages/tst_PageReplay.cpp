#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "pages/PageRecording.h"
#include "pages/RecordingCanvas.h"
#include "platform/Cp932.h"
#include "platform/FontSubstitution.h"

class TestPageReplay : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { font_substitution::install(); }

    void textStaysSearchableInPdf() {
        PageRecording page(QSize(4960, 7016));
        RecordingCanvas canvas(page, 600);
        canvas.setFont(QStringLiteral("ＭＳ 明朝"), 11);
        canvas.textOut(500, 500, cp932::encode(QStringLiteral("梁 B1 300×600 断面検定")));
        canvas.textOut(500, 700, "Page  1    ");

        QTemporaryDir dir;
        const QString pdf = dir.filePath("page.pdf");
        {
            QPdfWriter writer(pdf);
            writer.setResolution(600);
            writer.setPageSize(QPageSize(QPageSize::A4));
            writer.setPageMargins(QMarginsF(0, 0, 0, 0));
            QPainter painter(&writer);
            page.replay(painter);
        }
        QProcess process;
        process.start("pdftotext", {"-layout", pdf, "-"});
        QVERIFY(process.waitForFinished(20000));
        const QString text = QString::fromUtf8(process.readAllStandardOutput()).simplified();
        QVERIFY2(text.contains(QStringLiteral("梁 B1 300×600 断面検定")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Page 1")), qPrintable(text));
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
