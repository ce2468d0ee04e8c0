// Searching the recorded pages: the folding of half-width and full-width forms, the text of a
// page (lines, runs, scripts, places of the characters), and the search across pages with its
// counting, order and going round.

#include <QTest>

#include "pages/PageRecording.h"
#include "pages/PageText.h"
#include "pages/PageTextSearch.h"
#include "pages/PrintPreview.h"
#include "pages/TextFolder.h"
#include "platform/Cp932.h"
#include "platform/FontSubstitution.h"

namespace {

constexpr int Cell = 10;   // dots per byte
constexpr int Height = 20; // dots per line

// A text run of utf-8 text at (x, y), one cell per code page 932 byte.
void run(PageRecording& page, int x, int y, const char* utf8, int height = Height) {
    const QByteArray bytes = cp932::encode(QString::fromUtf8(utf8));
    page.appendText(QPoint(x, y), bytes, 0, Cell, 0, QSize(int(bytes.size()) * Cell, height),
                    qRgb(0, 0, 0), std::nullopt);
}

// A document of pages, each given as its lines (one run per line).
void record(TPrintPreview& store, const QList<QStringList>& pages) {
    store.BeginDoc();
    for (qsizetype p = 0; p < pages.size(); ++p) {
        if (p > 0)
            store.NewPage();
        int y = 100;
        for (const QString& line : pages[p]) {
            store.GetCanvas().textOut(100, y, cp932::encode(line));
            y += 100;
        }
    }
    store.EndDoc();
}

} // namespace

class TestPageTextSearch : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { font_substitution::install(); }

    void folding_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("folded");
        QTest::newRow("full-width digits and letters") << "ＡＢｃ１２３"
                                                       << "abc123";
        QTest::newRow("Latin case") << "Beam ÉTAGE"
                                    << "beam étage";
        QTest::newRow("signs and ideographic space") << "（Ｎ／ｍｍ２）　＝"
                                                     << "(n/mm2) =";
        QTest::newRow("half-width katakana") << "ｶﾀｶﾅ"
                                             << "カタカナ";
        QTest::newRow("voiced marks join their kana") << "ﾃﾞｰﾀ ﾊﾟﾈﾙ"
                                                      << "データ パネル";
        QTest::newRow("a lone voiced mark stays a mark") << "ﾞA"
                                                         << "゛a";
        QTest::newRow("a mark after a kana without voiced form") << "ｱﾞ"
                                                                 << "ア゛";
        QTest::newRow("Greek keeps its case") << "Σσ"
                                              << "Σσ";
        QTest::newRow("kanji and full-width katakana stay") << "部材データ"
                                                            << "部材データ";
    }
    void folding() {
        QFETCH(QString, text);
        QFETCH(QString, folded);
        QCOMPARE(TextFolder::fold(text), folded);
    }

    void pageTextLinesRunsAndPlaces() {
        PageRecording page(QSize(5000, 7000));
        run(page, 100, 100, "Page text");
        run(page, 100, 200, "│部材"); // one line of a table: two runs with a gap
        run(page, 300, 200, "ＣＯＬ");
        run(page, 360, 195, "2", 12); // a raised script touching the run before it
        run(page, 100, 300, "ﾃﾞｰﾀ");
        run(page, 100, 400, ""); // an empty run adds nothing
        const PageText text(page, PageText::Places::With);
        QCOMPARE(text.text(), QStringLiteral("page text\n│部材 col2\nデータ"));

        // Places: "部材" is bytes 2..5 of its run; "col2" runs over two runs of one line (the
        // script has a box of its own).
        const qsizetype buzai = text.text().indexOf(QStringLiteral("部材"));
        QCOMPARE(text.boxes(buzai, 2), QList<QRect>{QRect(120, 200, 40, Height)});
        const qsizetype col = text.text().indexOf(QStringLiteral("col2"));
        QCOMPARE(text.boxes(col, 4),
                 (QList<QRect>{QRect(300, 200, 60, Height), QRect(360, 195, 10, 12)}));
        // "デ" came from two half-width bytes: its box covers both cells.
        const qsizetype de = text.text().indexOf(QStringLiteral("デ"));
        QCOMPARE(text.boxes(de, 1), QList<QRect>{QRect(100, 300, 20, Height)});
        // Across a line break: one box per line, the break itself has none.
        QCOMPARE(text.boxes(text.text().indexOf(u'2'), 3).size(), 2);
        QVERIFY(PageText(page, PageText::Places::Without).boxes(0, 4).isEmpty());
    }

    void searchAcrossPages() {
        TPrintPreview store;
        record(store, {{"部材 C1 データ", "ﾃﾞｰﾀ"},
                       {"nothing here"},
                       {"ＤＡＴＡ データ データ", "end"},
                       {"no match"}});
        PageTextSearch search(store);
        search.setQuery(QStringLiteral("データ"));
        QVERIFY(!search.complete());

        // The first match from page 2 (index 1) is on page 3, found before the rest is read.
        const auto first = search.firstFrom(1);
        QVERIFY(first);
        QCOMPARE(first->page, 2);
        QVERIFY(!search.complete());
        QVERIFY(search.searchSome(1, std::numeric_limits<qint64>::max()));
        QCOMPARE(search.total(), 4);
        QCOMPARE(search.ordinal(*first), 3);
        QCOMPARE(search.matchesOn(0).size(), std::size_t(2)); // full- and half-width forms

        // Forward and back in document order, going round at both ends.
        auto m = search.next(*first);
        QCOMPARE(m->page, 2);
        QCOMPARE(search.ordinal(*m), 4);
        m = search.next(*m);
        QCOMPARE(search.ordinal(*m), 1);
        m = search.previous(*m);
        QCOMPARE(search.ordinal(*m), 4);

        // Case and width of Latin letters, and a query with no match at all.
        search.setQuery(QStringLiteral("data"));
        QVERIFY(search.firstFrom(0));
        search.searchSome(0, std::numeric_limits<qint64>::max());
        QCOMPARE(search.total(), 1);
        search.setQuery(QStringLiteral("梁"));
        QVERIFY(!search.firstFrom(0));
        QVERIFY(search.complete());
        QCOMPARE(search.total(), 0);
        search.setQuery(QString());
        QVERIFY(!search.firstFrom(0));
    }

    void newDocumentDropsWhatWasRead() {
        TPrintPreview store;
        record(store, {{"alpha"}, {"beta"}});
        PageTextSearch search(store);
        search.setQuery(QStringLiteral("beta"));
        QCOMPARE(search.firstFrom(0)->page, 1);
        record(store, {{"beta"}});
        // The pages read before are gone: the new document is read afresh.
        QCOMPARE(search.firstFrom(0)->page, 0);
        search.searchSome(0, std::numeric_limits<qint64>::max());
        QCOMPARE(search.total(), 1);
        // While a document is recorded nothing is read.
        store.BeginDoc();
        QVERIFY(!search.available());
        QVERIFY(!search.firstFrom(0));
        store.EndDoc();
    }
};

QTEST_MAIN(TestPageTextSearch)
#include "tst_PageTextSearch.moc"
