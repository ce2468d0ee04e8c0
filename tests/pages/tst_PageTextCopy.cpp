// The text of a rectangle of a recorded page, as it goes to the clipboard: which characters are
// inside, lines in reading order, blanks between runs, characters as drawn (not folded).

#include <QElapsedTimer>
#include <QTest>

#include "pages/PageRecording.h"
#include "pages/PageTextCopy.h"
#include "platform/Cp932.h"

namespace {

constexpr int Cell = 10;   // dots per byte
constexpr int Height = 20; // dots per line

struct Run {
    int x, y;
    QString text;
};

PageRecording pageOf(const QList<Run>& runs) {
    PageRecording page(QSize(5000, 7000));
    for (const Run& r : runs) {
        const QByteArray bytes = cp932::encode(r.text);
        page.appendText(QPoint(r.x, r.y), bytes, 0, Cell, 0,
                        QSize(int(bytes.size()) * Cell, Height), qRgb(0, 0, 0), std::nullopt);
    }
    return page;
}

const QRect WholePage(0, 0, 5000, 7000);

} // namespace

Q_DECLARE_METATYPE(QList<Run>)

class TestPageTextCopy : public QObject {
    Q_OBJECT
private slots:
    void textIn_data() {
        QTest::addColumn<QList<Run>>("runs");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QString>("expected");
        const QList<Run> table{{100, 100, "Page text"},
                               {100, 200, "│部材"},
                               {300, 200, "12.5"},
                               {100, 300, "│梁"},
                               {300, 300, "8.0"}};
        QTest::newRow("whole page: lines, a blank between columns")
            << table << WholePage << "Page text\n│部材 12.5\n│梁 8.0";
        QTest::newRow("one column") << table << QRect(290, 150, 200, 200) << "12.5\n8.0";
        QTest::newRow("nothing inside") << table << QRect(2000, 2000, 100, 100) << "";
        // Cells 100..110, 110..120, 120..130: a character is in when its middle is.
        QTest::newRow("half a cell is not the character")
            << QList<Run>{{100, 100, "abc"}} << QRect(100, 100, 24, 20) << "ab";
        QTest::newRow("drawn bottom first, read top first")
            << QList<Run>{{100, 300, "third"}, {100, 100, "first"}, {100, 200, "second"}}
            << WholePage << "first\nsecond\nthird";
        QTest::newRow("as drawn: full-width and half-width kana kept")
            << QList<Run>{{100, 100, "ＡＢ１２　ﾃﾞｰﾀ"}} << WholePage << "ＡＢ１２　ﾃﾞｰﾀ";
        QTest::newRow("blanks at the end of a line left out")
            << QList<Run>{{100, 100, "  indented   "}, {100, 200, "x"}} << WholePage
            << "  indented\nx";
        QTest::newRow("a raised script stays on its line")
            << QList<Run>{{100, 100, "mm"}, {120, 92, "2"}} << WholePage << "mm2";
    }
    void textIn() {
        QFETCH(QList<Run>, runs);
        QFETCH(QRect, area);
        QFETCH(QString, expected);
        QCOMPARE(page_text_copy::textIn(pageOf(runs), area), expected);
    }

    // A full page of a dense report (70 lines of 120 bytes, table columns) copies in well under
    // 20 ms, the first copy of the run included.
    void fullPageIsQuick() {
        QList<Run> runs;
        const QString cells = QStringLiteral("│部材 12.50 kN·m 梁 ");
        for (int line = 0; line < 70; ++line)
            for (int column = 0; column < 6; ++column)
                runs.append({100 + column * 220, 100 + line * 40, cells});
        const PageRecording page = pageOf(runs);
        QElapsedTimer timer;
        timer.start();
        const QString text = page_text_copy::textIn(page, WholePage);
        const qint64 first = timer.nsecsElapsed() / 1000;
        timer.restart();
        page_text_copy::textIn(page, WholePage);
        const qint64 again = timer.nsecsElapsed() / 1000;
        qInfo("full page copy: first %lld us, again %lld us", first, again);
        QCOMPARE(text.count(QLatin1Char('\n')), 69);
        QVERIFY2(again < 20000, qPrintable(QString::number(again)));
    }
};

QTEST_MAIN(TestPageTextCopy)
#include "tst_PageTextCopy.moc"
