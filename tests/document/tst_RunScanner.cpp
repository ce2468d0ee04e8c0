#include <QTest>

#include "document/RunScanner.h"
#include "platform/Cp932.h"

namespace {

QByteArray sj(const QString& text) {
    return cp932::encode(text);
}

struct Scanned {
    QByteArray text;
    int kind;
    int posAfter;
};

// Every run of line, as DrawTextLine takes them: until the end-of-line flag.
std::vector<Scanned> scanAll(const QByteArray& line) {
    std::vector<Scanned> runs;
    int pos = 1;
    Run run;
    do {
        run = NextRun(line, pos);
        runs.push_back({run.text, run.kind, pos});
    } while (!run.endOfLine && runs.size() < 100);
    return runs;
}

QString describe(const std::vector<Scanned>& runs) {
    QStringList parts;
    for (const Scanned& r : runs)
        parts
            << QStringLiteral("[%1|%2|%3]").arg(cp932::decode(r.text)).arg(r.kind).arg(r.posAfter);
    return parts.join(' ');
}

} // namespace

class TestRunScanner : public QObject {
    Q_OBJECT
private slots:
    void runs_data() {
        QTest::addColumn<QString>("line");
        // Each run as text|kind|pos after it.
        QTest::addColumn<QString>("expected");

        QTest::newRow("empty") << ""
                               << "[|0|1]";
        QTest::newRow("plain") << "abc def"
                               << "[abc def|0|8]";
        QTest::newRow("superscript ends at space, space swallowed") << "m^2 x"
                                                                    << "[m|0|2] [2|1|5] [x|0|6]";
        QTest::newRow("subscript runs to the end") << "H!2O"
                                                   << "[H|0|2] [2O|2|5]";
        QTest::newRow("subscript closed by ?") << "H?2?O"
                                               << "[H|0|2] [2|2|5] [O|0|6]";
        QTest::newRow("superscript in quotes keeps spaces") << "x\"a b\"y"
                                                            << "[x|0|2] [a b|1|7] [y|0|8]";
        QTest::newRow("quote closes a ? run") << "?a\"b"
                                              << "[a|2|4] [b|0|5]";
        QTest::newRow("^ run ended by next mark, not consumed") << "^2!3"
                                                                << "[2|1|3] [3|2|5]";
        QTest::newRow("leading space of a ^ run is kept") << "^ 2 x"
                                                          << "[ 2|1|5] [x|0|6]";
        QTest::newRow("doubled ?") << "a??b"
                                   << "[a?b|0|5]";
        QTest::newRow("doubled quote") << "a\"\"b"
                                       << "[a\"b|0|5]";
        QTest::newRow("doubled $") << "$$100"
                                   << "[$100|0|6]";
        QTest::newRow("single $ is text") << "$100"
                                          << "[$100|0|5]";
        QTest::newRow("doubled angle brackets") << "<<x>>"
                                                << "[<x>|0|6]";
        QTest::newRow("doubled ^ at line start") << "^^2"
                                                 << "[^2|0|4]";
        QTest::newRow("!! is two subscript marks") << "a!!b"
                                                   << "[a|0|2] [b|2|5]";
        QTest::newRow("< starts a new run") << "a<b"
                                            << "[a|0|2] [<b|0|4]";
        QTest::newRow("heavy rule run") << "━━━━"
                                        << "[━━━━|3|9]";
        QTest::newRow("light line inside a heavy run") << "━─━" << QStringLiteral("[━\u3000━|3|7]");
        QTest::newRow("text ends a heavy run") << "━━ab"
                                               << "[━━|3|5] [ab|0|7]";
        QTest::newRow("heavy rule after text starts its own run") << "ab━"
                                                                  << "[ab|0|3] [━|3|5]";
        QTest::newRow("vertical bar ends a heavy run")
            << "━│A" << QStringLiteral("[━|3|3] [\u3000A|0|6]");
        QTest::newRow("bars and text are one run")
            << QStringLiteral("│ A │ B │") << QStringLiteral("[\u3000 A \u3000 B \u3000|0|13]");
        QTest::newRow("box only: empty runs that keep their kinds") << "┌──┐"
                                                                    << "[|10|3] [|11|9]";
        QTest::newRow("text before a corner")
            << "ab┐cd" << QStringLiteral("[ab\u3000|11|5] [cd|0|7]");
        QTest::newRow("row 0x81 only is invisible") << "・・・"
                                                    << "[|0|7]";
        QTest::newRow("full-width spaces with a space are invisible")
            << QStringLiteral("\u3000 \u3000") << "[|0|6]";
        QTest::newRow("other double-byte text is visible")
            << QStringLiteral("\u3000梁") << QStringLiteral("[\u3000梁|0|5]");
        QTest::newRow("span tags") << "<SPAN class=x>abc</SPAN>"
                                   << "[<SPAN class=x>|6|15] [abc|0|18] [</SPAN>|7|25]";
        QTest::newRow("span tags in any letter case") << "<sPaN>a</Span>"
                                                      << "[<sPaN>|6|7] [a|0|8] [</Span>|7|15]";
        QTest::newRow("quoted tag") << "<'x'>y"
                                    << "[<'x'>|5|6] [y|0|7]";
        QTest::newRow("quoted tag needs the closing quote") << "<'x>y"
                                                            << "[<'x>y|0|6]";
        QTest::newRow("span with quoted attribute") << "<SPAN a='b'>c"
                                                    << "[<SPAN a='b'>|6|13] [c|0|14]";
        QTest::newRow("other tags are text") << "<B>x</B>"
                                             << "[<B>x|0|5] [</B>|0|9]";
        QTest::newRow("< at line end") << "a<"
                                       << "[a|0|2] [<|0|3]";
        QTest::newRow("short span-like tag") << "<SPA>"
                                             << "[<SPA>|0|6]";
    }
    void runs() {
        QFETCH(QString, line);
        QFETCH(QString, expected);
        QCOMPARE(describe(scanAll(sj(line))), expected);
    }

    void everyBoxMarkHasItsKind() {
        const QString marks = QStringLiteral("┏╋┌┐└┘┬┴├┤┼");
        for (int i = 0; i < marks.size(); ++i) {
            const QByteArray line = sj(QStringLiteral("A") + marks[i]);
            int pos = 1;
            const Run run = NextRun(line, pos);
            QCOMPARE(run.kind, RunBoxFirst + i);
            QCOMPARE(run.text, QByteArray("A\x81\x40"));
            QCOMPARE(pos, 4);
            QVERIFY(run.endOfLine);
        }
    }

    void leadByteAtLineEnd() {
        // The lone lead byte is taken as a character: its byte goes into the run and pos
        // moves past the end.
        int pos = 1;
        Run run = NextRun(QByteArray("ab\x93"), pos);
        QCOMPARE(run.text, QByteArray("ab\x93"));
        QCOMPARE(pos, 5);
        QVERIFY(run.endOfLine);

        // A lone 0x81 lead byte alone is not visible.
        pos = 1;
        run = NextRun(QByteArray("\x81"), pos);
        QVERIFY(run.text.isEmpty());
        QCOMPARE(pos, 3);
        QVERIFY(run.endOfLine);

        // A lone "━" lead byte is an ordinary character, not a rule.
        pos = 1;
        run = NextRun(QByteArray("\x84"), pos);
        QCOMPARE(run.kind, int(RunPlain));
        QCOMPARE(run.text, QByteArray("\x84"));
    }

    void trailBytesAreNotMarks() {
        // "タ" is 0x83 0x5E: its trail byte is "^" but belongs to the character.
        const QByteArray line = sj(QStringLiteral("タ^2 x"));
        QCOMPARE(line.mid(1, 1), QByteArray("^"));
        QCOMPARE(describe(scanAll(line)), QStringLiteral("[タ|0|3] [2|1|6] [x|0|7]"));
    }

    void scanningStartsAtPos() {
        const QByteArray line = sj(QStringLiteral("ab┌cd"));
        int pos = 3;
        Run run = NextRun(line, pos);
        QCOMPARE(run.kind, int(RunTopLeft));
        QVERIFY(run.text.isEmpty()); // the mark's blank alone is not visible
        QCOMPARE(pos, 5);
        run = NextRun(line, pos);
        QCOMPARE(run.text, QByteArray("cd"));
        QVERIFY(run.endOfLine);
    }
};

QTEST_GUILESS_MAIN(TestRunScanner)
#include "tst_RunScanner.moc"
