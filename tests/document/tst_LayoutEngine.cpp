#include <QTest>
#include <memory>

#include "document/DocumentErrors.h"
#include "document/LayoutEngine.h"
#include "document/LayoutProgress.h"
#include "document/Tags.h"
#include "pages/PrintPreview.h"
#include "platform/Cp932.h"
#include "platform/FontSubstitution.h"

namespace {

QByteArray sj(const char* utf8) {
    return cp932::encode(QString::fromUtf8(utf8));
}

QByteArrayList numbered(const char* prefix, int count, int first = 1) {
    QByteArrayList lines;
    for (int i = first; i < first + count; ++i)
        lines.append(QByteArray(prefix) + QByteArray::number(i).rightJustified(3, '0'));
    return lines;
}

// A drawn text run: its cell's top-left corner and its text.
struct Drawn {
    QPoint at;
    QString text;
};

class CountingProgress : public LayoutProgress {
public:
    void start(int lineCount) override {
        started = lineCount;
        ++starts;
    }
    void step() override { ++steps; }
    void finish() override { ++finishes; }
    int started = -1, starts = 0, steps = 0, finishes = 0;
};

// One layout against a printer given in dots; settings at their defaults.
struct Layout {
    TOutputSettings settings;
    LayoutState state;
    TPrintPreview store;
    std::unique_ptr<LayoutEngine> engine;

    explicit Layout(int width = 595, int height = 842, int dpi = 72) {
        state.PrinterInfo = TPrinterInfo::fromDots(width, height, width, height, 0, 0, dpi, dpi);
        state.CurFont = TextFont{QStringLiteral("ＭＳ 明朝"), 9};
    }

    void run(const QByteArrayList& lines, LayoutProgress* progress = nullptr) {
        engine = std::make_unique<LayoutEngine>(state, store, settings, progress);
        engine->CalcFrameGeometry();
        engine->LayoutDocument(lines);
    }

    int pages() const { return store.PageCount(); }

    QList<Drawn> texts(int page) const {
        QList<Drawn> out;
        for (const PageRecord& record : store.GetPage(page).records())
            if (const auto* text = std::get_if<TextRecord>(&record))
                out.append({text->topLeft, cp932::decode(text->bytes)});
        return out;
    }

    // Top of every run on page whose text, blanks and box cells trimmed, is label.
    QList<int> topsOf(int page, const QString& label) const {
        QList<int> tops;
        for (const Drawn& d : texts(page)) {
            QString t = d.text;
            t.replace(QChar(0x3000), QChar(' '));
            if (t.trimmed() == label)
                tops.append(d.at.y());
        }
        return tops;
    }
    int topOf(int page, const QString& label) const {
        const QList<int> tops = topsOf(page, label);
        return tops.size() == 1 ? tops.front() : -1000 - int(tops.size());
    }
    QStringList labels(int page) const {
        QStringList out;
        for (const Drawn& d : texts(page)) {
            QString t = d.text;
            t.replace(QChar(0x3000), QChar(' '));
            out.append(t.trimmed());
        }
        return out;
    }
};

// At 72 dpi on 595 x 842 with the default settings a 9-point line is 11 dots and the first
// line's top is at 57; 68 lines fill a page.
constexpr int Top = 57;
constexpr int Pitch = 11;
constexpr int PerPage = 68;

} // namespace

class TestLayoutEngine : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { font_substitution::install(); }

    void workedExampleGeometry() {
        Layout l;
        l.run({});
        QCOMPARE(l.state.LeftMarginDots, 28);
        QCOMPARE(l.state.TextLeftDots, 57);
        QCOMPARE(l.state.TextTopDots, 57);
        QCOMPARE(l.state.TextWidthDots, 510);
        QCOMPARE(l.state.TextHeightDots, 757);
        QCOMPARE(l.state.FrameWidth, 539);
        QCOMPARE(l.state.FontHeightDots, 9);
        QCOMPARE(l.state.FramePoints[0].y(), 42);
        QCOMPARE(l.state.PageNoRuleY, 37);
    }

    void frameWidthRoundsToNearestWhereTheFrameTruncates() {
        // 11 mm at 72 dpi is 31.18 dots and 12 mm is 34.02: both round down either way, but
        // 9 mm is 25.51, which truncates to 25 and rounds to 26.
        Layout l;
        l.settings.FrameLeftMarginMm = 9;
        l.settings.FrameRightMarginMm = 9;
        l.run({});
        QCOMPARE(l.state.LeftMarginDots, 26);
        QCOMPARE(l.state.FrameWidth, 595 - 26 - 26);
        QCOMPARE(l.state.FramePoints[0].x(), 25);
    }

    void fontHeightRoundsHalvesToEven() {
        // 23 pt at 180 dpi is 57.5 dots: 58 at the start of a layout as after a font tag,
        // although 23 / 72 * 180 in floating point lands just below the half.
        Layout l(1488, 2105, 180);
        l.state.CurFont.Size = 23;
        l.run({"a"});
        QCOMPARE(l.state.FontHeightDots, 58);
        l.settings.FontSize[2] = 23;
        l.run({"<Font3>", "a"});
        QCOMPARE(l.state.FontHeightDots, 58);
    }

    void sixtyEightStandardLinesFillAPage() {
        Layout l;
        l.run(numbered("line ", PerPage + 1));
        QCOMPARE(l.pages(), 2);
        QCOMPARE(l.topOf(0, "line 001"), Top);
        QCOMPARE(l.topOf(0, "line 068"), Top + 67 * Pitch);
        // The 69th would end at 759, above the text height 757 but past 757 - 9.
        QCOMPARE(l.topOf(1, "line 069"), Top);
        QCOMPARE(l.state.LastLinePitch, Pitch);
    }

    void pitchTagsAndFontTagsChangeThePitch() {
        Layout l;
        l.run({"a", "<HPitch-Start>", "b", "c", "<HPitch-End>", "d", "<Font1>", "e", "f"});
        QCOMPARE(l.topOf(0, "a"), Top);
        QCOMPARE(l.topOf(0, "b"), Top + 11);
        QCOMPARE(l.topOf(0, "c"), Top + 11 + 9);
        QCOMPARE(l.topOf(0, "d"), Top + 11 + 18);
        QCOMPARE(l.topOf(0, "e"), Top + 22 + 18);
        // Font1 is 11 points: 11 dots high, pitch Nearest(13.2) = 13.
        QCOMPARE(l.topOf(0, "f"), Top + 22 + 18 + 13);
        QCOMPARE(l.state.FontHeightDots, 11);
        QCOMPARE(l.state.CurFont.Size, 11); // the next layout starts with it
    }

    void malformedTagsAreText() {
        Layout l;
        l.run({"<Font1> ", "<Title-End>", "<page-end>"});
        QCOMPARE(l.pages(), 1);
        QCOMPARE(l.labels(0), (QStringList{"<Font1>", "<Title-End>", "<page-end>"}));
        QCOMPARE(l.state.FontHeightDots, 9);
    }

    void emptyDocumentGivesOnePageWithItsDecoration() {
        Layout l;
        l.settings.DrawPageNumber = 1;
        l.settings.DrawOuterFrame = 1;
        CountingProgress progress;
        l.run({}, &progress);
        QCOMPARE(l.pages(), 1);
        QVERIFY(!l.store.Printing());
        QVERIFY(l.labels(0).contains("Page  1"));
        QCOMPARE(progress.started, 0);
        QCOMPARE(progress.finishes, 1);
    }

    void pageEndsMakeNoEmptyPages_data() {
        QTest::addColumn<QByteArrayList>("lines");
        QTest::addColumn<int>("pages");
        QTest::newRow("first") << QByteArrayList{"<Page-End>", "a"} << 1;
        QTest::newRow("twice") << QByteArrayList{"a", "<Page-End>", "<Page-End>", "b"} << 2;
        QTest::newRow("last") << QByteArrayList{"a", "<Page-End>"} << 1;
        // The first of two final page ends is not on the last line, so it opens a page that the
        // second leaves empty; it is finished with its decoration like any last page.
        QTest::newRow("twice at the end") << QByteArrayList{"a", "<Page-End>", "<Page-End>"} << 2;
        QTest::newRow("only") << QByteArrayList{"<Page-End>"} << 1;
    }
    void pageEndsMakeNoEmptyPages() {
        QFETCH(QByteArrayList, lines);
        QFETCH(int, pages);
        Layout l;
        l.settings.DrawPageNumber = 1;
        l.run(lines);
        QCOMPARE(l.pages(), pages);
        // Each page carries its number once, even the one that a final page end finished.
        for (int p = 0; p < l.pages(); ++p)
            QCOMPARE(l.topsOf(p, QStringLiteral("Page  %1").arg(p + 1)).size(), 1);
    }

    void titleIsRepeatedWithItsPitchTags() {
        Layout l;
        QByteArrayList lines{"<Title-Start>", "T1",         "<HPitch-Start>", "T2",
                             "<HPitch-End>",  "<Title-End>"};
        lines += numbered("line ", 70);
        l.run(lines);
        QCOMPARE(l.pages(), 2);
        QCOMPARE(l.topOf(0, "T1"), Top);
        QCOMPARE(l.topOf(0, "T2"), Top + 11);
        QCOMPARE(l.topOf(0, "line 001"), Top + 20);
        // Page 1 holds 2 title lines (20 dots) and lines up to 748: 66 lines.
        QCOMPARE(l.topOf(0, "line 066"), Top + 20 + 65 * Pitch);
        QCOMPARE(l.topOf(1, "T1"), Top);
        QCOMPARE(l.topOf(1, "T2"), Top + 11);
        // The line that did not fit takes the pitch of the last title line (9) ...
        QCOMPARE(l.topOf(1, "line 067"), Top + 20);
        // ... and the next line the standard pitch again.
        QCOMPARE(l.topOf(1, "line 068"), Top + 20 + 9);
        QCOMPARE(l.topOf(1, "line 069"), Top + 20 + 9 + 11);
    }

    void dataEndStopsTheRepetition() {
        Layout l;
        QByteArrayList lines{"<Title-Start>", "T1", "<Title-End>"};
        lines += numbered("a ", 80);
        lines += "<Data-End>";
        lines += numbered("b ", 80);
        l.run(lines);
        QCOMPARE(l.pages(), 3);
        QCOMPARE(l.topOf(1, "T1"), Top);
        QCOMPARE(l.topsOf(2, "T1").size(), 0);
    }

    void pagesStartedByPageEndOrBlockHaveNoTitle() {
        Layout l;
        QByteArrayList lines{"<Title-Start>", "T1", "<Title-End>", "a", "<Page-End>", "b"};
        lines += numbered("c ", 70);
        l.run(lines);
        QCOMPARE(l.pages(), 3);
        QCOMPARE(l.topOf(1, "b"), Top);
        QCOMPARE(l.topsOf(1, "T1").size(), 0);
        QCOMPARE(l.topOf(2, "T1"), Top); // back at the next overflow
    }

    void titleWithoutEndRunsToTheEnd() {
        Layout l;
        l.run({"<Title-Start>", "T1", "<Font1>", "<Page-End>"});
        QCOMPARE(l.pages(), 1);
        QCOMPARE(l.labels(0), (QStringList{"T1", "<Font1>", "<Page-End>"}));
        QCOMPARE(l.state.FontHeightDots, 9);
    }

    void lineThatOpensRulesIsRepeatedOnTheNextPage() {
        Layout l;
        QByteArrayList lines = numbered("line ", PerPage - 1);
        lines += sj("┌─OPEN─┐");
        lines += sj("│ROW│");
        l.run(lines);
        QCOMPARE(l.pages(), 2);
        QCOMPARE(l.topOf(0, "OPEN"), Top + 67 * Pitch);
        QCOMPARE(l.topOf(1, "OPEN"), Top);
        QCOMPARE(l.topOf(1, "ROW"), Top + Pitch);
    }

    void closingLineStaysInTheFreeStrip() {
        Layout l;
        QByteArrayList lines = numbered("line ", PerPage);
        lines += sj("└─END─┘");
        lines += "after";
        l.run(lines);
        QCOMPARE(l.pages(), 2);
        QCOMPARE(l.topOf(0, "END"), Top + PerPage * Pitch);
        QCOMPARE(l.topsOf(1, "END").size(), 0);
        QCOMPARE(l.topOf(1, "after"), Top);
        // Indented by blanks it is still a closing line.
        Layout m;
        lines[PerPage] = sj("  └─END─┘");
        m.run(lines);
        QCOMPARE(m.topOf(0, "END"), Top + PerPage * Pitch);
    }

    void closingLineAsTheLastLineAddsNoPage() {
        Layout l;
        l.settings.DrawPageNumber = 1;
        QByteArrayList lines = numbered("line ", PerPage);
        lines += sj("└─END─┘");
        l.run(lines);
        QCOMPARE(l.pages(), 1);
        QCOMPARE(l.topOf(0, "END"), Top + PerPage * Pitch);
        QCOMPARE(l.topsOf(0, "Page  1").size(), 1);
    }

    void separatorIsDrawnTwiceOrReplacedByTheTitle() {
        Layout l;
        QByteArrayList lines = numbered("line ", PerPage);
        lines += sj("├─SEP─┤");
        lines += "next";
        l.run(lines);
        QCOMPARE(l.pages(), 2);
        QCOMPARE(l.topOf(0, "SEP"), Top + PerPage * Pitch);
        QCOMPARE(l.topOf(1, "SEP"), Top);
        QCOMPARE(l.topOf(1, "next"), Top + Pitch);

        Layout t;
        QByteArrayList titled{"<Title-Start>", "TITLE", "<Title-End>"};
        titled += numbered("line ", PerPage - 1);
        titled += sj("├─SEP─┤");
        titled += "next";
        t.run(titled);
        QCOMPARE(t.pages(), 2);
        QCOMPARE(t.topOf(0, "SEP"), Top + PerPage * Pitch);
        QCOMPARE(t.topOf(1, "TITLE"), Top);
        QCOMPARE(t.topsOf(1, "SEP").size(), 0);
        QCOMPARE(t.topOf(1, "next"), Top + Pitch);
    }

    void separatorAsTheLastLineAfterARepeatedTitle() {
        // The title stands in for the separator, which leaves no line to draw below it: the
        // new page holds the title only, and nothing is read past the list.
        Layout l;
        QByteArrayList lines{"<Title-Start>", "TITLE", "<Title-End>"};
        lines += numbered("line ", PerPage - 1);
        lines += sj("├─SEP─┤");
        l.run(lines);
        QCOMPARE(l.pages(), 2);
        QCOMPARE(l.topOf(0, "SEP"), Top + PerPage * Pitch);
        QCOMPARE(l.labels(1), QStringList{"TITLE"});
        QCOMPARE(l.state.UsedHeight, Pitch);
    }

    void lineOpeningRulesAtIndexOneIsNotRepeated() {
        // Only a box line after the second line is repeated: with the text area one line high,
        // the box line at index 0 ends page 1 and the next line starts page 2 alone.
        Layout l(595, 57 + 28 + 20);
        l.run({sj("┌─OPEN─┐"), sj("│ROW│")});
        QCOMPARE(l.state.TextHeightDots, 20);
        QCOMPARE(l.pages(), 2);
        QCOMPARE(l.topOf(0, "OPEN"), Top);
        QCOMPARE(l.labels(1), QStringList{"ROW"});
        // Two lines high, the same box line at index 2 is repeated above the next line.
        Layout m(595, 57 + 28 + 31);
        m.run({"a", sj("┌─OPEN─┐"), sj("│ROW│")});
        QCOMPARE(m.pages(), 2);
        QCOMPARE(m.topOf(0, "OPEN"), Top + Pitch);
        QCOMPARE(m.topOf(1, "OPEN"), Top);
        QCOMPARE(m.topOf(1, "ROW"), Top + Pitch);
    }

    void onlyTheFirstHeldLineCountsAsContinued() {
        // After a one-line title at the top of a continuation page, a separator in the body
        // must not open the table's side rules (they would run down to the page end).
        Layout l;
        QByteArrayList lines{"<Title-Start>", "T", "<Title-End>"};
        lines += numbered("line ", PerPage);
        lines += sj("├─SEP─┤");
        lines += numbered("more ", 5);
        l.run(lines);
        QCOMPARE(l.pages(), 2);
        QCOMPARE(l.topOf(1, "T"), Top);
        QCOMPARE(l.topOf(1, "SEP"), Top + 2 * Pitch);
        QVERIFY(!l.state.TitleContinued);
        for (const PageRecord& record : l.store.GetPage(1).records())
            if (const auto* line = std::get_if<LineRecord>(&record))
                QVERIFY2(line->from.x() != line->to.x(), "no vertical rule");
    }

    void lineAndBoxLineThatCannotShareAPageDoNotLoop() {
        // A title that fills the page leaves room for one more line only: the line that opened
        // rules is repeated once, then the next line goes on a page of its own.
        Layout l;
        QByteArrayList lines{"<Title-Start>"};
        lines += numbered("T", 67);
        lines += "<Title-End>";
        lines += sj("┌─OPEN─┐");
        lines += sj("│ROW│");
        l.run(lines);
        QCOMPARE(l.pages(), 3);
        QCOMPARE(l.topOf(1, "OPEN"), Top + 67 * Pitch);
        QCOMPARE(l.topOf(2, "ROW"), Top + 67 * Pitch);
    }

    // 600 dpi, pitch factor 2: a 9-point line is 75 dots high and 150 dots apart, and the
    // text area is 1710 dots high. A block of 10 lines (1500) starting at 300 used does not fit
    // and moves; at 150 used it would not fit either, but a page so little used is kept.
    void keepTogetherMovesOnlyFromAPageMoreThan200Used_data() {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("blockPage");
        QTest::newRow("300 used") << 2 << 1;
        QTest::newRow("150 used") << 1 << 0;
    }
    void keepTogetherMovesOnlyFromAPageMoreThan200Used() {
        QFETCH(int, before);
        QFETCH(int, blockPage);
        Layout l(4961, 472 + 1710 + 236, 600);
        l.settings.LinePitchFactor = 2.0;
        QByteArrayList lines = numbered("pre ", before);
        lines += "<Block-Start>";
        lines += numbered("blk ", 10);
        lines += "<Block-End>";
        l.run(lines);
        QCOMPARE(l.state.TextHeightDots, 1710);
        const int top = l.state.TextTopDots;
        QCOMPARE(l.topOf(blockPage, "blk 001"), blockPage == 1 ? top : top + before * 150);
    }

    // The three tests of the look-ahead are strict: 200 dots used is not enough, a block
    // ending exactly at the kept-free strip stays, and so does one exactly 200 dots short of
    // the text area. 200 used = one line and nine fractions (11 + 9 x 21).
    void keepTogetherBoundariesAreStrict_data() {
        QTest::addColumn<int>("linesBefore");
        QTest::addColumn<int>("fractionsBefore");
        QTest::addColumn<int>("tableLines"); // after four standard lines, at the table pitch
        QTest::addColumn<int>("plainLines");
        QTest::addColumn<int>("blockPage");
        QTest::newRow("200 used, 550 block") << 1 << 9 << 0 << 50 << 0;
        QTest::newRow("211 used, 550 block") << 2 << 9 << 0 << 50 << 1;
        QTest::newRow("209 + 539 = 748") << 19 << 0 << 0 << 49 << 0;
        QTest::newRow("220 + 539 = 759") << 20 << 0 << 0 << 49 << 1;
        QTest::newRow("557 block (757 - 200)") << 19 << 0 << 57 << 0 << 0;
        QTest::newRow("548 block") << 19 << 0 << 56 << 0 << 1;
    }
    void keepTogetherBoundariesAreStrict() {
        QFETCH(int, linesBefore);
        QFETCH(int, fractionsBefore);
        QFETCH(int, tableLines);
        QFETCH(int, plainLines);
        QFETCH(int, blockPage);
        Layout l;
        QByteArrayList lines = numbered("pre ", linesBefore);
        for (int i = 0; i < fractionsBefore; ++i)
            lines << QByteArray(tags::Fraction.data(), tags::Fraction.size()) << "u"
                  << "m"
                  << "w";
        lines += "<Block-Start>";
        if (tableLines > 0) {
            lines += numbered("blk ", 4);
            lines += "<HPitch-Start>";
            lines += numbered("tbl ", tableLines);
        } else {
            lines += numbered("blk ", plainLines);
        }
        lines += "<Block-End>";
        l.run(lines);
        QCOMPARE(l.topOf(blockPage, "blk 001"),
                 blockPage == 1 ? Top : Top + linesBefore * Pitch + fractionsBefore * 21);
    }

    void blockNearlyAsTallAsThePageIsNeverMoved() {
        Layout l;
        // 757 - 200 = 557: a block of 51 lines (561) stays where it starts.
        QByteArrayList lines = numbered("pre ", 30);
        lines += "<Block-Start>";
        lines += numbered("blk ", 51);
        lines += "<Block-End>";
        l.run(lines);
        QCOMPARE(l.topOf(0, "blk 001"), Top + 30 * Pitch);
        // 50 lines (550) move.
        Layout m;
        lines.removeAt(30 + 1);
        m.run(lines);
        QCOMPARE(m.topOf(1, "blk 002"), Top);
    }

    void blockLookAheadChangesThePitchAtOnce() {
        // The look-ahead passes "<HPitch-Start>" inside the block, so the block's first lines
        // are laid out at the table pitch; tag lines take no height.
        Layout l;
        l.run({"a", "<Block-Start>", "b", "<Font1>", "<HPitch-Start>", "c", "<Block-End>", "d"});
        QCOMPARE(l.topOf(0, "b"), Top + 11);
        QCOMPARE(l.topOf(0, "c"), Top + 11 + 9);
        QCOMPARE(l.topOf(0, "d"), Top + 11 + 9 + 11); // Font1 at table pitch: 11
    }

    void fractionStacksThreeLinesAtReducedPitch() {
        Layout l;
        l.run({"a", "<\x95\xAA\x90\x94\x8E\xAE>", "upper", "middle", "lower", "b"});
        // Nearest(9 * 1.2 * 0.65) = Nearest(7.02) = 7.
        const int y = Top + Pitch;
        QCOMPARE(l.topOf(0, "upper"), y);
        QCOMPARE(l.topOf(0, "middle"), y + 7);
        QCOMPARE(l.topOf(0, "lower"), y + 14);
        QCOMPARE(l.topOf(0, "b"), y + 21);
        // Upper and lower first, the bar line drawn last over them.
        QCOMPARE(l.labels(0), (QStringList{"a", "upper", "lower", "middle", "b"}));
        QCOMPARE(l.state.LastLinePitch, Pitch);
    }

    void fractionAtThePageBottomRunsBelowThenBreaks() {
        Layout l;
        QByteArrayList lines = numbered("line ", PerPage - 1);
        lines += QByteArray(tags::Fraction.data(), tags::Fraction.size());
        lines += QByteArrayList{"u", "m", "w", "next"};
        l.run(lines);
        QCOMPARE(l.pages(), 2);
        QCOMPARE(l.topOf(0, "w"), Top + 67 * Pitch + 14);
        QCOMPARE(l.topOf(1, "next"), Top);
    }

    void operandPastTheEndKeepsThePagesAndEndsTheDocument() {
        Layout l;
        CountingProgress progress;
        QByteArrayList lines = numbered("line ", 80);
        lines += QByteArray(tags::Fraction.data(), tags::Fraction.size());
        lines += QByteArrayList{"u", "m"};
        bool thrown = false;
        try {
            l.run(lines, &progress);
        } catch (const EListIndexError& e) {
            thrown = true;
            // The lower line (index 80 + 3) is the one missing.
            QCOMPARE(e.index(), 83);
            QCOMPARE(QString::fromUtf8(e.what()),
                     QStringLiteral("リストのインデックスが範囲を超えています (83)"));
        }
        QVERIFY(thrown);
        QVERIFY(!l.store.Printing());
        QCOMPARE(l.pages(), 2);
        QCOMPARE(l.topOf(1, "line 080"), Top + 11 * Pitch);
        QCOMPARE(progress.finishes, 1);
        // The store is usable again for the next layout.
        l.run({"x"});
        QCOMPARE(l.pages(), 1);
    }

    void figureFileTakesItsNameLineWhateverItHolds() {
        Layout l;
        l.run({"a", "<bmp\x83\x74\x83\x40\x83\x43\x83\x8B>", "<Page-End>", "b"});
        QCOMPARE(l.pages(), 1);
        QCOMPARE(l.labels(0), (QStringList{"a", "b"}));
        QVERIFY_THROWS_EXCEPTION(EListIndexError,
                                 l.run({"a", "<jpg\x83\x74\x83\x40\x83\x43\x83\x8B>"}));
        QVERIFY(!l.store.Printing());
    }

    void figureBlockTakesLinesUpToTheParameterLine() {
        Layout l;
        const QByteArray insert("<\x90\x7D\x8C\x60\x91\x7D\x93\xFC>");
        l.run({"a", insert, "text 1", "<Page-End>", "Fig 1205 3 0", "b", insert, "c"});
        QCOMPARE(l.pages(), 1);
        // The figure text lines are drawn (a tag among them as text); the parameter line is not.
        QCOMPARE(l.labels(0), (QStringList{"a", "text 1", "<Page-End>", "b", "c"}));
    }

    void progressCountsEveryLineOfTheMainLoop() {
        Layout l;
        CountingProgress progress;
        l.run({"a", "<\x95\xAA\x90\x94\x8E\xAE>", "u", "m", "w", "b"}, &progress);
        QCOMPARE(progress.started, 6);
        QCOMPARE(progress.steps, 3); // a, the fraction (its operands are skipped), b
        QCOMPARE(progress.finishes, 1);
    }

    void framePenWidthComesFromTheSettingsText_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("width");
        QTest::newRow("3") << QByteArray("3") << 3;
        QTest::newRow("not a number") << QByteArray("x") << 1;
        QTest::newRow("empty") << QByteArray() << 1;
    }
    void framePenWidthComesFromTheSettingsText() {
        QFETCH(QByteArray, text);
        QFETCH(int, width);
        Layout l;
        l.settings.DrawOuterFrame = 1;
        l.settings.FrameLineWidthText = text;
        l.run({"a"});
        int frameWidth = -1;
        for (const PageRecord& record : l.store.GetPage(0).records()) {
            if (const auto* poly = std::get_if<PolylineRecord>(&record))
                frameWidth = poly->pen.width;
            else if (const auto* line = std::get_if<LineRecord>(&record))
                if (line->from == l.state.FramePoints[0])
                    frameWidth = line->pen.width;
        }
        QCOMPARE(frameWidth, width);
    }

    void layoutStartsAfreshEachTime() {
        Layout l;
        l.run(numbered("line ", 200));
        QCOMPARE(l.pages(), 3);
        l.run({"<Title-Start>", "T", "<Title-End>", "x"});
        QCOMPARE(l.pages(), 1);
        QCOMPARE(l.topOf(0, "T"), Top);
    }
};

QTEST_MAIN(TestLayoutEngine)
#include "tst_LayoutEngine.moc"
