#include <QTest>

#include "document/FigureLine.h"

class TestFigureLine : public QObject {
    Q_OBJECT
private slots:
    void parses_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("isFigure");
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("variant");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("kind");
        // A text line that merely starts with "Fig": 'u' is the separator, "re" no number.
        QTest::newRow("Figure 3") << QByteArray("Figure 3") << true << 1 << -1 << 3 << -1;
        QTest::newRow("1205 3 0") << QByteArray("Fig 1205 3 0") << true << 12 << 5 << 3 << 0;
        QTest::newRow("7 2 5") << QByteArray("Fig 7 2 5") << true << 1 << 7 << 2 << 5;
        QTest::newRow("Fig alone") << QByteArray("Fig") << true << 1 << -1 << -1 << -1;
        QTest::newRow("Fig and separator") << QByteArray("Fig ") << true << 1 << -1 << -1 << -1;
        // Two blanks give an empty second field, so the later numbers move one field on.
        QTest::newRow("two blanks") << QByteArray("Fig 1205  3 0") << true << 12 << 5 << -1 << 3;
        QTest::newRow("blank after Fig") << QByteArray("Fig  7 2") << true << 1 << -1 << 7 << 2;
        QTest::newRow("any separator") << QByteArray("Fig:301 4 1") << true << 3 << 1 << 4 << 1;
        QTest::newRow("fourth field ignored")
            << QByteArray("Fig 1 2 3 junk") << true << 1 << 1 << 2 << 3;
        QTest::newRow("negative") << QByteArray("Fig -1205 -3 +2") << true << -12 << -5 << -3 << 2;
        QTest::newRow("negative small") << QByteArray("Fig -7") << true << 1 << -7 << -1 << -1;
        QTest::newRow("exact hundred") << QByteArray("Fig 300 0 1") << true << 3 << 0 << 0 << 1;
        QTest::newRow("zero") << QByteArray("Fig 0 0 0") << true << 1 << 0 << 0 << 0;
        QTest::newRow("not numbers") << QByteArray("Fig a1 2x $10") << true << 1 << -1 << -1 << -1;
        QTest::newRow("hex is not decimal")
            << QByteArray("Fig 0x10 1 1") << true << 1 << -1 << 1 << 1;
        QTest::newRow("sign alone") << QByteArray("Fig - + 1") << true << 1 << -1 << -1 << 1;
        QTest::newRow("double sign") << QByteArray("Fig --5 +-5") << true << 1 << -1 << -1 << -1;
        QTest::newRow("tab inside field") << QByteArray("Fig 5\t 6") << true << 1 << -1 << 6 << -1;
        QTest::newRow("too large") << QByteArray("Fig 2147483648 2147483647 -2147483648") << true
                                   << 1 << -1 << 2147483647 << int(-2147483647 - 1);
        QTest::newRow("lower case") << QByteArray("fig 1 2 3") << false << 1 << -1 << -1 << -1;
        QTest::newRow("Fi only") << QByteArray("Fi") << false << 1 << -1 << -1 << -1;
        QTest::newRow("empty") << QByteArray() << false << 1 << -1 << -1 << -1;
        QTest::newRow("leading blank") << QByteArray(" Fig 1 2 3") << false << 1 << -1 << -1 << -1;
    }
    void parses() {
        QFETCH(QByteArray, line);
        QFETCH(bool, isFigure);
        const FigureLine f = ParseFigureLine(line);
        QCOMPARE(f.IsFigureLine, isFigure);
        QTEST(int(f.FigureGroup), "group");
        QTEST(int(f.FigureVariant), "variant");
        QTEST(int(f.FigureIndex), "index");
        QTEST(int(f.FigureKind), "kind");
    }

    void longLinesAreReadWhole() {
        // Fields beyond byte 255 still count; a field that runs past 255 bytes is one field.
        const QByteArray padding(300, '0');
        FigureLine f = ParseFigureLine("Fig " + padding + "1205 3 0");
        QVERIFY(f.IsFigureLine);
        QCOMPARE(f.FigureGroup, 12);
        QCOMPARE(f.FigureVariant, 5);
        QCOMPARE(f.FigureIndex, 3);
        QCOMPARE(f.FigureKind, 0);

        f = ParseFigureLine("Fig 1 2 " + QByteArray(400, '9'));
        QCOMPARE(f.FigureIndex, 2);
        QCOMPARE(f.FigureKind, -1); // out of range: not an integer

        f = ParseFigureLine("Fig" + QByteArray(500, ' ') + "1 2 3");
        QCOMPARE(f.FigureGroup, 1);
        QCOMPARE(f.FigureVariant, -1);
        QCOMPARE(f.FigureIndex, -1);
        QCOMPARE(f.FigureKind, -1);
    }
};

QTEST_GUILESS_MAIN(TestFigureLine)
#include "tst_FigureLine.moc"
