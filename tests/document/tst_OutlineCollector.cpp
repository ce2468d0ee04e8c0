// The outline that a layout leaves in the page store: chapters from runs of Font1 lines,
// sections from title blocks, their pages and labels.

#include <QTest>
#include <memory>

#include "document/LayoutEngine.h"
#include "document/OutlineCollector.h"
#include "pages/PrintPreview.h"
#include "platform/Cp932.h"
#include "platform/FontSubstitution.h"

namespace {

// Lines written in UTF-8, encoded as a report holds them.
QByteArrayList report(const QStringList& lines) {
    QByteArrayList out;
    for (const QString& line : lines)
        out.append(cp932::encode(line));
    return out;
}

// n numbered body lines.
QStringList body(int n) {
    QStringList lines;
    for (int i = 1; i <= n; ++i)
        lines.append(QStringLiteral("body %1").arg(i));
    return lines;
}

// "level page label" per entry, one string for readable failures.
QString shown(const PageOutline& outline) {
    QStringList rows;
    for (const OutlineEntry& e : outline)
        rows.append(QStringLiteral("%1 %2 %3").arg(e.level).arg(e.page).arg(e.label));
    return rows.join(QLatin1String(" | "));
}

struct Layout {
    TOutputSettings settings;
    LayoutState state;
    TPrintPreview store;
    std::unique_ptr<LayoutEngine> engine;

    // A small page (about 40 body lines at 72 dpi) so that page breaks come soon.
    Layout() {
        state.PrinterInfo = TPrinterInfo::fromDots(595, 600, 595, 600, 0, 0, 72, 72);
        state.CurFont = TextFont{QStringLiteral("ＭＳ 明朝"), 9};
        engine = std::make_unique<LayoutEngine>(state, store, settings);
        engine->CalcFrameGeometry();
    }
    void run(const QByteArrayList& lines) { engine->LayoutDocument(lines); }
};

} // namespace

class TestOutlineCollector : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { font_substitution::install(); }

    void outlineOfReport_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("expected");

        QTest::newRow("chapters with sections under them")
            << (QStringList{"<Font1>", "1.  建物概要", "<Font3>", "<Title-Start>", "  1.1  一般",
                            "<Title-End>", "text", "<Page-End>", "<Font1>", "2.  荷重", "<Font3>",
                            "<Title-Start>", "  2.1  固定荷重", "<Title-End>", "<Title-Start>",
                            "  2.2  積雪", "<Title-End>"})
            << "1 1 1.  建物概要 | 2 1 1.1  一般 | 1 2 2.  荷重 | 2 2 2.1  固定荷重 | 2 2 2.2  "
               "積雪";
        QTest::newRow("sections before any chapter stand at the top")
            << (QStringList{"<Title-Start>", "序", "<Title-End>", "<Font1>", "1. 本編", "<Font3>",
                            "<Title-Start>", "1.1 節", "<Title-End>"})
            << "1 1 序 | 1 1 1. 本編 | 2 1 1.1 節";
        QTest::newRow("a run of Font1 lines is one chapter from its first line with text")
            << (QStringList{"<Font1>", "", "   ", "  ┌────┐", "　　構　造　計　算　書　", "副題",
                            "<Page-End>", "続き", "<Font2>", "data"})
            << "1 1 構　造　計　算　書";
        QTest::newRow("every Font1 tag starts another run, other font tags end one")
            << (QStringList{"<Font1>", "第1章", "<Font1>", "第2章", "<Font2>", "data", "<Font1>",
                            "第3章", "<Font3>", "本文"})
            << "1 1 第1章 | 1 1 第2章 | 1 1 第3章";
        QTest::newRow("a title block ends the run of Font1 lines")
            << (QStringList{"<Font1>", "", "<Title-Start>", "節", "<Title-End>", "見出しでない行"})
            << "1 1 節";
        QTest::newRow("title blocks without text, and blank Font1 runs, are left out")
            << (QStringList{"<Font1>", "", " ─── ", "<Font3>", "<Title-Start>", "",
                            "<HPitch-Start>", "　　", "┌──┬──┐", "<HPitch-End>", "<Title-End>",
                            "<Title-Start>", "<Title-End>", "text"})
            << "";
        QTest::newRow("a title's first line with text, past pitch tags and rules")
            << (QStringList{"<Font1>", "1. 章", "<Font3>", "<Title-Start>", "<HPitch-Start>",
                            "┌──┐", "│ 2.1 表題 │", "<HPitch-End>", "<Title-End>"})
            << "1 1 1. 章 | 2 1 2.1 表題";
        QTest::newRow("figure captions and fraction lines are no chapters")
            << (QStringList{"<Font1>", "<図形挿入>", "図の題", "Fig 101 1 0", "<分数式>", "a", "――",
                            "b", "1. 章"})
            << "1 1 1. 章";
        QTest::newRow("text that is only a tag elsewhere is a chapter line")
            << (QStringList{"<Font1>", "<Title-End>"}) << "1 1 <Title-End>";
    }
    void outlineOfReport() {
        QFETCH(QStringList, lines);
        QFETCH(QString, expected);
        Layout layout;
        layout.run(report(lines));
        QCOMPARE(shown(layout.store.outline()), expected);
    }

    void titlesRepeatedOnContinuationPagesAreOneSection() {
        // A title held over three pages, then a chapter and a title on the fourth.
        QStringList lines{"<Font1>", "1. 章",    "<Font3>",    "<Title-Start>",
                          "1.1 表",  "列見出し", "<Title-End>"};
        lines += body(100);
        lines += QStringList{"<Data-End>", "<Page-End>",    "<Font1>", "2. 章",
                             "<Font3>",    "<Title-Start>", "2.1 次",  "<Title-End>"};
        Layout layout;
        layout.run(report(lines));
        const int last = layout.store.PageCount();
        QVERIFY2(last >= 3, "the body must run over several pages");
        QCOMPARE(shown(layout.store.outline()),
                 QStringLiteral("1 1 1. 章 | 2 1 1.1 表 | 1 %1 2. 章 | 2 %1 2.1 次").arg(last));
    }

    void entriesCarryThePageTheyAreDrawnOn() {
        // As many body lines as fill page 1: the chapter line after them goes to page 2.
        Layout probe;
        probe.run(report(body(200)));
        const qsizetype perPage = probe.store.GetPage(0).records().size();
        QVERIFY(perPage > 10 && perPage < 200);
        QStringList lines{"<Font3>"};
        lines += body(int(perPage));
        lines += QStringList{"<Font1>", "次の章"};
        Layout layout;
        layout.run(report(lines));
        QCOMPARE(layout.store.PageCount(), 2);
        QCOMPARE(shown(layout.store.outline()), QStringLiteral("1 2 次の章"));
    }

    void aFailedLayoutKeepsTheOutlineSoFarAndANewOneReplacesIt() {
        Layout layout;
        QVERIFY_THROWS_EXCEPTION(std::exception,
                                 layout.run(report({"<Font1>", "1. 章", "<分数式>", "a"})));
        QCOMPARE(shown(layout.store.outline()), QStringLiteral("1 1 1. 章"));
        layout.run(report({"<Title-Start>", "別", "<Title-End>"}));
        QCOMPARE(shown(layout.store.outline()), QStringLiteral("1 1 別"));
        layout.run(report({"text"}));
        QVERIFY(layout.store.outline().isEmpty());
    }

    void labels_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("label");
        QTest::newRow("blanks and box characters trimmed at both ends only")
            << cp932::encode(QStringLiteral(" \t│ 階 │ 階高 ┃　")) << QStringLiteral("階 │ 階高");
        QTest::newRow("control bytes shown as blanks") << QByteArray("A\x01\x1b[31mB\x7f"
                                                                     "C\t")
                                                       << QStringLiteral("A  [31mB C");
        QTest::newRow("bytes that are no code page 932 kept as replacement characters")
            << QByteArray("\x81\xFF"
                          "x")
            << QStringLiteral("\uFFFDx");
        QTest::newRow("blank bytes only") << QByteArray(" \t\r\x01 ") << QString();
        QTest::newRow("box characters and ideographic spaces only")
            << cp932::encode(QStringLiteral("┌──┐　")) << QString();
    }
    void labels() {
        QFETCH(QByteArray, line);
        QFETCH(QString, label);
        QCOMPARE(OutlineCollector::label(line), label);
    }

    void longLabelsAreCutAfterTheirLeadingBlanks() {
        const QByteArray huge =
            QByteArray(1000, ' ') + cp932::encode(QString(5'000'000, QChar(0x3042))) + "  ";
        const QString label = OutlineCollector::label(huge);
        QCOMPARE(label.size(), OutlineCollector::MaxLabelLength + 1);
        QCOMPARE(label.front(), QChar(0x3042));
        QCOMPARE(label.back(), QChar(0x2026));
        const QString exact(OutlineCollector::MaxLabelLength, QChar('x'));
        QCOMPARE(OutlineCollector::label(exact.toLatin1()), exact);
    }
};

QTEST_MAIN(TestOutlineCollector)
#include "tst_OutlineCollector.moc"
