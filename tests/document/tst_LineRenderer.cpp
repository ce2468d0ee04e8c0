#include <QElapsedTimer>
#include <QTest>
#include <algorithm>

#include "document/LineRenderer.h"
#include "pages/PrintPreview.h"
#include "platform/Cp932.h"
#include "platform/FontSubstitution.h"

namespace {

QByteArray sj(const QString& text) {
    return cp932::encode(text);
}

// One document at dpi with Font1 at fontPoints selected on page 1.
struct Doc {
    LayoutState state;
    TOutputSettings settings;
    TPrintPreview store;
    LineRenderer renderer{state, store, settings};

    Doc(int dpi, int fontPoints) {
        state.PrinterInfo = TPrinterInfo::forPaper(QSizeF(210, 297), dpi);
        store.setReferenceDevice(state.PrinterInfo);
        settings.FontSize[0] = fontPoints;
        store.BeginDoc();
        renderer.SelectFont(0);
    }
    RecordingCanvas& canvas() { return store.GetCanvas(); }
    int halfPitch() { return canvas().textWidth("\x84\xA1") / 2; }
    int height() { return canvas().textHeight("A"); }
    int heavyWidth() { return canvas().textWidth("\x84\xAA"); }

    const PageRecording& page(int index) {
        if (store.Printing())
            store.EndDoc();
        return store.GetPage(index);
    }
    std::vector<TextRecord> texts(int index = 0) {
        std::vector<TextRecord> out;
        for (const PageRecord& r : page(index).records())
            if (const auto* t = std::get_if<TextRecord>(&r))
                out.push_back(*t);
        return out;
    }
    std::vector<LineRecord> lines(int index = 0) {
        std::vector<LineRecord> out;
        for (const PageRecord& r : page(index).records())
            if (const auto* l = std::get_if<LineRecord>(&r))
                out.push_back(*l);
        return out;
    }
    int pixelSize(const TextRecord& t, int index = 0) {
        return page(index).font(t.fontIndex).pixelSize;
    }
};

QString str(const LineRecord& l) {
    return QStringLiteral("(%1,%2)-(%3,%4)")
        .arg(l.from.x())
        .arg(l.from.y())
        .arg(l.to.x())
        .arg(l.to.y());
}

QString str(const std::vector<LineRecord>& lines) {
    QStringList parts;
    for (const LineRecord& l : lines)
        parts << str(l);
    return parts.join(' ');
}

QString seg(int x1, int y1, int x2, int y2) {
    return QStringLiteral("(%1,%2)-(%3,%4)").arg(x1).arg(y1).arg(x2).arg(y2);
}

QString str(const std::vector<RuleSegment>& list) {
    QStringList parts;
    for (const RuleSegment& s : list)
        parts << seg(s.X1, s.Y1, s.X2, s.Y2);
    return parts.join(' ');
}

// Origin of the text area and the cursor used by most cases.
constexpr int originX = 100;
constexpr int originY = 200;
const QRect cursorAt(int left, int top) {
    return QRect(QPoint(left, top), QSize(1000, 10));
}

} // namespace

class TestLineRenderer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { font_substitution::install(); }

    void dpi_data() {
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("dx"); // shift of a 3-point smaller run: Round(3/72*dpi) div 4
        QTest::newRow("72 dpi") << 72 << 24 << 0;
        QTest::newRow("600 dpi") << 600 << 11 << 6;
    }

    void blankLinesDrawNothing_data() { dpi_data(); }
    void blankLinesDrawNothing() {
        QFETCH(int, dpi);
        QFETCH(int, points);
        Doc doc(dpi, points);
        doc.renderer.DrawTextLine("", cursorAt(0, 0), originX, originY);
        doc.renderer.DrawTextLine(sj(QStringLiteral("・・・")), cursorAt(0, 50), originX, originY);
        doc.renderer.DrawTextLine(sj(QStringLiteral("　　 　")), cursorAt(0, 90), originX, originY);
        QVERIFY(!doc.state.BoxLineSeen);
        QVERIFY(doc.page(0).records().empty());
    }

    void superscriptAndSubscript_data() { dpi_data(); }
    void superscriptAndSubscript() {
        QFETCH(int, dpi);
        QFETCH(int, points);
        QFETCH(int, dx);
        Doc doc(dpi, points);
        const int hp = doc.halfPitch();
        const int h = doc.height();
        const int fullPx = doc.canvas().fontPixelSize();
        const int smallPx = int(std::nearbyint((points - 3) * dpi / 72.0));
        doc.renderer.DrawTextLine("m^2 x", cursorAt(10, 0), originX, originY);
        doc.renderer.DrawTextLine("H!2O", cursorAt(10, 100), originX, originY);
        doc.renderer.DrawTextLine("H?2?O", cursorAt(10, 200), originX, originY);
        // The canvas is back at the line's size and spacing.
        QCOMPARE(doc.canvas().fontSize(), points);
        QCOMPARE(doc.canvas().textExtra(), 0);

        const int x0 = originX + 10;
        const auto texts = doc.texts();
        QCOMPARE(texts.size(), size_t(8));
        struct Expect {
            QByteArray bytes;
            QPoint topLeft;
            int pixels;
        };
        const int y0 = originY, y1 = originY + 100, y2 = originY + 200;
        const Expect expected[] = {
            // "x" right after the superscript: the swallowed space takes no cell.
            {"m", {x0, y0}, fullPx},
            {"2", {x0 + hp + dx, y0 - h / 4}, smallPx},
            {"x", {x0 + 2 * hp, y0}, fullPx},
            // "!" opens a subscript that runs to the end of the line.
            {"H", {x0, y1}, fullPx},
            {"2O", {x0 + hp + dx, y1 + h / 2}, smallPx},
            // "?" ... "?" closes it; the closing mark is consumed.
            {"H", {x0, y2}, fullPx},
            {"2", {x0 + hp + dx, y2 + h / 2}, smallPx},
            {"O", {x0 + 2 * hp, y2}, fullPx},
        };
        for (size_t i = 0; i < texts.size(); ++i) {
            QCOMPARE(texts[i].bytes, expected[i].bytes);
            QCOMPARE(texts[i].topLeft, expected[i].topLeft);
            QCOMPARE(doc.pixelSize(texts[i]), expected[i].pixels);
            // Every run is painted over an opaque white box.
            QCOMPARE(texts[i].background, std::optional<QRgb>(qRgb(255, 255, 255)));
        }
    }

    void escapes_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QByteArray>("drawn");
        QTest::newRow("??") << "a??b" << QByteArray("a?b");
        QTest::newRow("$$") << "$$100" << QByteArray("$100");
        QTest::newRow("<< >>") << "<<x>>" << QByteArray("<x>");
        QTest::newRow("^^ at line start") << "^^" << QByteArray("^");
    }
    void escapes() {
        QFETCH(QString, line);
        QFETCH(QByteArray, drawn);
        Doc doc(72, 24);
        const int size = doc.canvas().fontPixelSize();
        doc.renderer.DrawTextLine(sj(line), cursorAt(0, 0), originX, originY);
        const auto texts = doc.texts();
        QCOMPARE(texts.size(), size_t(1));
        QCOMPARE(texts[0].bytes, drawn);
        QCOMPARE(texts[0].topLeft, QPoint(originX, originY));
        QCOMPARE(doc.pixelSize(texts[0]), size);
    }

    void heavyRuleRunsAreLines_data() { dpi_data(); }
    void heavyRuleRunsAreLines() {
        QFETCH(int, dpi);
        QFETCH(int, points);
        Doc doc(dpi, points);
        doc.state.PenWidth = 3;
        const int w = doc.heavyWidth();
        const int hh = doc.height() / 2;
        doc.renderer.DrawTextLine(sj(QStringLiteral("━━━━")), cursorAt(0, 0), originX, originY);
        // The light line inside the run is a blank cell of the same rule.
        doc.renderer.DrawTextLine(sj(QStringLiteral("━─━")), cursorAt(0, 100), originX, originY);
        // Text after a rule continues where the rule ended.
        doc.renderer.DrawTextLine(sj(QStringLiteral("━━ab")), cursorAt(0, 200), originX, originY);
        QCOMPARE(doc.canvas().pen().width, 1);

        const auto lines = doc.lines();
        QCOMPARE(str(lines),
                 seg(originX, originY + hh, originX + 4 * w, originY + hh) + ' ' +
                     seg(originX, originY + 100 + hh, originX + 3 * w, originY + 100 + hh) + ' ' +
                     seg(originX, originY + 200 + hh, originX + 2 * w, originY + 200 + hh));
        for (const LineRecord& l : lines)
            QCOMPARE(l.pen.width, 3);
        const auto texts = doc.texts();
        QCOMPARE(texts.size(), size_t(1));
        QCOMPARE(texts[0].bytes, QByteArray("ab"));
        QCOMPARE(texts[0].topLeft.x(), originX + 2 * w);
    }

    void boxTopRecordsRulePoints_data() {
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("points");
        QTest::addColumn<bool>("side");
        QTest::newRow("72 dpi, side lines") << 72 << 24 << true;
        QTest::newRow("72 dpi, no side lines") << 72 << 24 << false;
        QTest::newRow("600 dpi, side lines") << 600 << 11 << true;
        QTest::newRow("600 dpi, no side lines") << 600 << 11 << false;
    }
    void boxTopRecordsRulePoints() {
        QFETCH(int, dpi);
        QFETCH(int, points);
        QFETCH(bool, side);
        Doc doc(dpi, points);
        doc.settings.DrawTableSideLines = side ? 1 : 0;
        const int hp = doc.halfPitch();
        const int ym = originY + 30 + doc.height() / 2;
        doc.renderer.DrawTextLine(sj(QStringLiteral("┌──┐")), cursorAt(20, 30), originX, originY);
        QVERIFY(doc.state.BoxLineSeen);
        // Centres of "┌" (byte 1) and "┐" (byte 7).
        const int xl = originX + 20 + hp, xr = originX + 20 + 7 * hp;
        QCOMPARE(str(doc.renderer.HorzRules()), seg(xl, ym, xr, ym));
        QCOMPARE(str(doc.renderer.VertRules()),
                 side ? seg(xl, ym, 0, 0) + ' ' + seg(xr, ym, 0, 0) : QString());
        QVERIFY(doc.renderer.ExtraRules().empty());
        QVERIFY(doc.page(0).records().empty()); // no glyphs until the page is flushed
    }

    void barsBecomeFullWidthSpaces() {
        Doc doc(600, 11);
        doc.renderer.DrawTextLine(sj(QStringLiteral("│ A │ B │")), cursorAt(0, 0), originX,
                                  originY);
        const auto texts = doc.texts();
        QCOMPARE(texts.size(), size_t(1));
        QCOMPARE(texts[0].bytes, sj(QStringLiteral("　 A 　 B 　")));
        QCOMPARE(texts[0].topLeft, QPoint(originX, originY));
        QVERIFY(!doc.state.BoxLineSeen);
        QVERIFY(doc.renderer.VertRules().empty());
    }

    void spanTagsArePrintedAsText() {
        Doc doc(72, 24);
        const int hp = doc.halfPitch();
        doc.renderer.DrawTextLine("<SPAN class=x>abc</SPAN>", cursorAt(0, 0), originX, originY);
        const auto texts = doc.texts();
        QCOMPARE(texts.size(), size_t(3));
        QCOMPARE(texts[0].bytes, QByteArray("<SPAN class=x>"));
        QCOMPARE(texts[1].bytes, QByteArray("abc"));
        QCOMPARE(texts[2].bytes, QByteArray("</SPAN>"));
        QCOMPARE(texts[0].topLeft.x(), originX);
        QCOMPARE(texts[1].topLeft.x(), originX + 14 * hp);
        QCOMPARE(texts[2].topLeft.x(), originX + 17 * hp);
    }

    void textAfterEmptyRunKeepsItsX() {
        // The blank run ending at "┐" takes no cells; the rule point still sits at the mark's
        // byte position.
        Doc doc(72, 24);
        const int hp = doc.halfPitch();
        doc.renderer.DrawTextLine(sj(QStringLiteral("┌─┐ab")), cursorAt(0, 0), originX, originY);
        const auto texts = doc.texts();
        QCOMPARE(texts.size(), size_t(1));
        QCOMPARE(texts[0].topLeft.x(), originX);
        QCOMPARE(doc.renderer.HorzRules().front().X2, originX + 5 * hp);
    }

    void tableClosedOnOnePage() {
        Doc doc(72, 24);
        const int hp = doc.halfPitch();
        const int hh = doc.height() / 2;
        doc.state.LastLinePitch = 30;
        doc.renderer.DrawTextLine(sj(QStringLiteral("┌─┬─┐")), cursorAt(0, 0), 0, 0);
        doc.renderer.DrawTextLine(sj(QStringLiteral("│A│B│")), cursorAt(0, 30), 0, 0);
        doc.renderer.DrawTextLine(sj(QStringLiteral("├─┼─┤")), cursorAt(0, 60), 0, 0);
        doc.renderer.DrawTextLine(sj(QStringLiteral("└─┴─┘")), cursorAt(0, 90), 0, 0);
        QVERIFY(!doc.state.BoxLineSeen); // "└", "┴", "┘" set none
        doc.renderer.FlushRules(cursorAt(0, 120), 0);
        QVERIFY(doc.renderer.HorzRules().empty());
        QVERIFY(doc.renderer.VertRules().empty());
        const int x1 = hp, x2 = 5 * hp, x3 = 9 * hp;
        // Horizontals first, then verticals; "┼" splits both of its rules.
        QCOMPARE(str(doc.lines()),
                 QStringList({seg(x1, hh, x3, hh), seg(x1, 60 + hh, x2, 60 + hh),
                              seg(x2, 60 + hh, x3, 60 + hh), seg(x1, 90 + hh, x3, 90 + hh),
                              seg(x1, hh, x1, 90 + hh), seg(x2, hh, x2, 60 + hh),
                              seg(x3, hh, x3, 90 + hh), seg(x2, 60 + hh, x2, 90 + hh)})
                     .join(' '));
    }

    void tableRunsOnToTheNextPage() {
        Doc doc(72, 24);
        doc.settings.DrawTableSideLines = 1;
        const int hp = doc.halfPitch();
        const int hh = doc.height() / 2;
        doc.state.LastLinePitch = 29;
        doc.renderer.DrawTextLine(sj(QStringLiteral("┌─┬─┐")), cursorAt(0, 0), originX, originY);
        doc.renderer.DrawTextLine(sj(QStringLiteral("│A│B│")), cursorAt(0, 29), originX, originY);
        // Page full: the open verticals run to the next line slot plus half a pitch, because
        // the line drawn last set no BoxLineSeen; Round(14.5) = 14, halves to even.
        doc.renderer.FlushRules(cursorAt(0, 58), originY);
        const int bottom = originY + 58 + 14;
        const int x1 = originX + hp, x2 = originX + 5 * hp, x3 = originX + 9 * hp;
        const int top = originY + hh;
        // The next page starts with empty lists: the bottom corners end nothing.
        doc.store.NewPage();
        doc.renderer.DrawTextLine(sj(QStringLiteral("└─┴─┘")), cursorAt(0, 0), originX, originY);
        QVERIFY(doc.renderer.VertRules().empty());
        doc.renderer.FlushRules(cursorAt(0, 29), originY);
        QCOMPARE(str(doc.lines()), QStringList({seg(x1, top, x3, top), seg(x1, top, x1, bottom),
                                                seg(x2, top, x2, bottom), seg(x3, top, x3, bottom),
                                                seg(x1, bottom, x3, bottom)})
                                       .join(' '));
        for (const LineRecord& l : doc.lines())
            QCOMPARE(l.pen.width, 1);

        QCOMPARE(str(doc.lines(1)), seg(x1, top, x3, top));
    }

    void openVerticalsEndAtTheLastBoxLine() {
        // The line drawn last set BoxLineSeen: no half pitch is added.
        Doc doc(72, 24);
        const int hh = doc.height() / 2;
        const int hp = doc.halfPitch();
        doc.state.LastLinePitch = 30;
        doc.renderer.DrawTextLine(sj(QStringLiteral("┌─┐")), cursorAt(0, 0), 0, 0);
        doc.renderer.DrawTextLine(sj(QStringLiteral("├─┤")), cursorAt(0, 30), 0, 0);
        QVERIFY(doc.state.BoxLineSeen);
        doc.renderer.FlushRules(cursorAt(0, 60), 0);
        const auto lines = doc.lines();
        QCOMPARE(str(lines), QStringList({seg(hp, hh, 5 * hp, hh),
                                          seg(hp, 30 + hh, 5 * hp, 30 + hh), seg(hp, hh, hp, 60),
                                          seg(5 * hp, hh, 5 * hp, 60), seg(hp, 60, 5 * hp, 60)})
                                 .join(' '));
    }

    void shortOpenVerticalsAreDropped() {
        // A table top on the last line: its verticals would be no longer than one pitch.
        Doc doc(72, 24);
        const int hp = doc.halfPitch();
        const int hh = doc.height() / 2;
        doc.state.LastLinePitch = 30;
        doc.renderer.DrawTextLine(sj(QStringLiteral("┌─┐")), cursorAt(0, 0), 0, 0);
        doc.renderer.FlushRules(cursorAt(0, 30), 0);
        // 30 - hh <= 30: no vertical and so no joining rule; only the top horizontal.
        QCOMPARE(str(doc.lines()), seg(hp, hh, 5 * hp, hh));
    }

    void verticalsEndOnlyAtTheSameX() {
        Doc doc(72, 24);
        const int hp = doc.halfPitch();
        const int hh = doc.height() / 2;
        doc.state.LastLinePitch = 30;
        doc.renderer.DrawTextLine(sj(QStringLiteral("┬")), cursorAt(0, 0), 0, 0);
        doc.renderer.DrawTextLine(sj(QStringLiteral("　┬")), cursorAt(0, 0), 0, 0);
        // Ends the vertical at 3 * hp only; the one at hp stays open.
        doc.renderer.DrawTextLine(sj(QStringLiteral("　┴")), cursorAt(0, 90), 0, 0);
        // An end with no open vertical at its X does nothing.
        doc.renderer.DrawTextLine(sj(QStringLiteral("　　┴")), cursorAt(0, 90), 0, 0);
        QCOMPARE(str(doc.renderer.VertRules()),
                 seg(hp, hh, 0, 0) + ' ' + seg(3 * hp, hh, 3 * hp, 90 + hh));
        // Ending horizontals with nothing open does nothing either.
        doc.renderer.DrawTextLine(sj(QStringLiteral("┘┐┤")), cursorAt(0, 90), 0, 0);
        QVERIFY(doc.renderer.HorzRules().empty());
    }

    // Verticals at one X end first to last; a line of many ends under a line of as many
    // starts costs linear time (it used to search the whole list for each end).
    void verticalsAtOneXEndInOrder() {
        Doc doc(72, 24);
        const int hp = doc.halfPitch();
        const int hh = doc.height() / 2;
        for (const int y : {0, 30})
            doc.renderer.DrawTextLine(sj(QStringLiteral("┬")), cursorAt(0, y), 0, 0);
        for (const int y : {60, 90})
            doc.renderer.DrawTextLine(sj(QStringLiteral("┴")), cursorAt(0, y), 0, 0);
        QCOMPARE(str(doc.renderer.VertRules()),
                 seg(hp, hh, hp, 60 + hh) + ' ' + seg(hp, 30 + hh, hp, 90 + hh));

        // Timed against a line of as many starts, so that the bound holds in any build.
        const int marks = 100000;
        const QByteArray starts = sj(QStringLiteral("┬").repeated(marks));
        const QByteArray ends = sj(QStringLiteral("┴").repeated(marks));
        const auto drawUnderStarts = [&](Doc& d, const QByteArray& line) {
            QElapsedTimer timer;
            timer.start();
            d.renderer.DrawTextLine(starts, cursorAt(0, 0), 0, 0);
            d.renderer.DrawTextLine(line, cursorAt(0, 90), 0, 0);
            return timer.elapsed();
        };
        Doc closed(72, 24), open(72, 24);
        const qint64 endsMs = drawUnderStarts(closed, ends);
        const qint64 startsMs = drawUnderStarts(open, starts);
        const auto& verticals = closed.renderer.VertRules();
        QCOMPARE(verticals.size(), size_t(marks));
        QVERIFY(std::all_of(verticals.begin(), verticals.end(),
                            [](const RuleSegment& s) { return s.X2 == s.X1 && s.Y2 > s.Y1; }));
        QVERIFY2(endsMs < 10 * std::max<qint64>(startsMs, 20),
                 qPrintable(QStringLiteral("%1 ms, %2 ms").arg(endsMs).arg(startsMs)));
    }

    void sideVerticalsOfContinuedTitle() {
        for (const bool continued : {false, true}) {
            Doc doc(72, 24);
            doc.state.TitleContinued = continued;
            doc.renderer.DrawTextLine(sj(QStringLiteral("├─┼─┤")), cursorAt(0, 0), 0, 0);
            QCOMPARE(doc.renderer.HorzRules().size(), size_t(2));
            // "┼" always opens its vertical; "├" and "┤" only on a continued title.
            QCOMPARE(doc.renderer.VertRules().size(), size_t(continued ? 3 : 1));
        }
    }

    void heavyFrameUsesExtraRules() {
        Doc doc(72, 24);
        const int hp = doc.halfPitch();
        const int hh = doc.height() / 2;
        doc.state.LastLinePitch = 30;
        doc.renderer.DrawTextLine(sj(QStringLiteral("┏━╋")), cursorAt(0, 0), 0, 0);
        QCOMPARE(str(doc.renderer.ExtraRules()), seg(hp, hh, 5 * hp, hh));
        // A "┏" whose "╋" never comes: the segment has no end point and is not drawn.
        doc.renderer.DrawTextLine(sj(QStringLiteral("┏")), cursorAt(0, 30), 0, 0);
        QCOMPARE(doc.renderer.ExtraRules().size(), size_t(2));
        doc.renderer.FlushRules(cursorAt(0, 60), 0);
        QVERIFY(doc.renderer.ExtraRules().empty());
        for (const LineRecord& l : doc.lines())
            QVERIFY2(l.to != QPoint(0, 0) && l.from != QPoint(0, 0), qPrintable(str(l)));
        QCOMPARE(doc.lines().front().from, QPoint(hp, hh));
        QCOMPARE(doc.lines().front().to, QPoint(5 * hp, hh));
    }

    void joiningRuleBeyondTenThousandDots() {
        // Wide paper at a high resolution: X beyond 9999 dots still gives the right join.
        Doc doc(72, 24);
        const int hp = doc.halfPitch();
        doc.state.LastLinePitch = 30;
        const int far = 12000;
        doc.renderer.DrawTextLine(sj(QStringLiteral("┬")), cursorAt(0, 0), far, 0);
        doc.renderer.FlushRules(cursorAt(0, 90), 0);
        // One vertical, nothing to join (the page is still being recorded).
        QCOMPARE(doc.store.Pages()[0]->records().size(), size_t(1));

        doc.renderer.DrawTextLine(sj(QStringLiteral("┬─┬")), cursorAt(0, 0), far, 0);
        doc.renderer.FlushRules(cursorAt(0, 90), 0);
        const auto lines = doc.lines();
        QCOMPARE(lines.size(), size_t(4));
        QCOMPARE(str(lines.back()), seg(far + hp, 90, far + 5 * hp, 90));
    }

    // Only the bytes whose cells start on the paper are recorded, whole characters; the
    // marks and rules further on still count their cells.
    void textBeyondThePaperIsNotRecorded() {
        Doc doc(72, 24);
        const int hp = doc.halfPitch();
        const int paper = doc.state.PrinterInfo.PaperWidthDots;
        const int fit = (paper - originX + hp - 1) / hp; // cells starting on the paper
        QByteArray line(4 << 20, 'A');
        doc.renderer.DrawTextLine(line, cursorAt(0, 0), originX, originY);
        QCOMPARE(doc.texts().front().bytes.size(), qsizetype(fit));

        // A double-byte character across the edge is kept whole.
        Doc kanji(72, 24);
        const QByteArray wide = sj(QStringLiteral("漢")).repeated(fit);
        kanji.renderer.DrawTextLine(QByteArray("A") + wide + sj(QStringLiteral("┬")),
                                    cursorAt(0, 0), originX, originY);
        const QByteArray kept = kanji.texts().front().bytes;
        QCOMPARE(kept.size(), qsizetype(fit % 2 == 1 ? fit : fit + 1));
        QVERIFY(kept.size() < 2 * fit);
        QCOMPARE(kanji.renderer.VertRules().front().X1, originX + (1 + 2 * fit) * hp + hp);
    }

    void cellPositionsOfHugeLinesDoNotOverflow() {
        // 40 MB at 1200 dpi: 2^31 dots are passed long before the mark at its end.
        Doc doc(1200, 24);
        QByteArray line(40 << 20, 'A');
        line += sj(QStringLiteral("┬"));
        doc.renderer.DrawTextLine(line, cursorAt(0, 0), originX, originY);
        QVERIFY(doc.renderer.VertRules().front().X1 > doc.state.PrinterInfo.PaperWidthDots);
    }

    void lineStartKind_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("kind");
        QTest::newRow("bottom-left corner") << "└───┘" << -1;
        QTest::newRow("left junction") << "├──┤" << 1;
        QTest::newRow("left junction after spaces") << "  ├──┤" << 1;
        QTest::newRow("vertical bar") << "│ A │" << 0;
        QTest::newRow("text before the corner") << "ab└" << -1;
        QTest::newRow("top-left corner") << "┌─┐" << 0;
        QTest::newRow("empty") << "" << 0;
    }
    void lineStartKind() {
        QFETCH(QString, line);
        QFETCH(int, kind);
        QCOMPARE(LineRenderer::LineStartKind(sj(line)), kind);
    }

    void selectFont() {
        Doc doc(600, 9);
        doc.settings.FontName[1] = QStringLiteral("ＭＳ ゴシック");
        doc.settings.FontSize[1] = 11;
        doc.renderer.SelectFont(1);
        QCOMPARE(doc.state.FontHeightDots, 92); // Round(11 / 72 * 600)
        QCOMPARE(doc.state.CurFont.Name, QStringLiteral("ＭＳ ゴシック"));
        QCOMPARE(doc.state.CurFont.Size, 11);
        QCOMPARE(doc.canvas().fontFace(), QStringLiteral("ＭＳ ゴシック"));
        QCOMPARE(doc.canvas().fontSize(), 11);
        doc.renderer.DrawTextLine("A", cursorAt(0, 0), 0, 0);
        const auto texts = doc.texts();
        QCOMPARE(doc.page(0).font(texts[0].fontIndex),
                 (FontSpec{QStringLiteral("ＭＳ ゴシック"), 92}));

        // Halves round to even: 9 pt at 100 dpi is 12.5 dots.
        Doc odd(100, 9);
        QCOMPARE(odd.state.FontHeightDots, 12);
    }

    void needsAnOpenPage() {
        Doc doc(72, 24);
        doc.store.EndDoc();
        QVERIFY_THROWS_EXCEPTION(EPrintPreviewError,
                                 doc.renderer.DrawTextLine("a", cursorAt(0, 0), 0, 0));
        QVERIFY_THROWS_EXCEPTION(EPrintPreviewError, doc.renderer.FlushRules(cursorAt(0, 0), 0));
        QVERIFY_THROWS_EXCEPTION(EPrintPreviewError, doc.renderer.SelectFont(0));
    }
};

QTEST_MAIN(TestLineRenderer)
#include "tst_LineRenderer.moc"
