#include <QTest>

#include "document/LineSplitter.h"

class TestLineSplitter : public QObject {
    Q_OBJECT
private slots:
    void splits_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArrayList>("lines");
        QTest::newRow("empty") << QByteArray() << QByteArrayList();
        QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QByteArrayList{"a", "b"};
        QTest::newRow("lone CR") << QByteArray("a\rb\r") << QByteArrayList{"a", "b"};
        QTest::newRow("lone LF") << QByteArray("a\nb\n") << QByteArrayList{"a", "b"};
        QTest::newRow("mixed") << QByteArray("a\rb\nc\r\n") << QByteArrayList{"a", "b", "c"};
        QTest::newRow("no final break") << QByteArray("a\r\nb") << QByteArrayList{"a", "b"};
        QTest::newRow("LF CR is two breaks")
            << QByteArray("a\n\rb") << QByteArrayList{"a", "", "b"};
        QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << QByteArrayList{"a", "", "b"};
        QTest::newRow("empty lines") << QByteArray("\r\n\r\n") << QByteArrayList{"", ""};
        QTest::newRow("break only") << QByteArray("\n") << QByteArrayList{""};
        QTest::newRow("blanks kept") << QByteArray("  a \t\r\n ") << QByteArrayList{"  a \t", " "};
        QTest::newRow("NUL in the middle")
            << QByteArray("a\r\nb\0c\r\nd", 10) << QByteArrayList{"a", "b"};
        QTest::newRow("NUL after a break") << QByteArray("a\r\n\0b", 5) << QByteArrayList{"a"};
        QTest::newRow("NUL first") << QByteArray("\0a\r\n", 4) << QByteArrayList();
        QTest::newRow("NUL after CR") << QByteArray("a\r\0\nb", 5) << QByteArrayList{"a"};
        // Shift-JIS bytes pass unchanged; 0x0D/0x0A never occur as trail bytes.
        QTest::newRow("double-byte") << QByteArray("\x84\xA1\x81\x40\r\n\x95\x5C")
                                     << QByteArrayList{"\x84\xA1\x81\x40", "\x95\x5C"};
    }
    void splits() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArrayList, lines);
        QCOMPARE(splitLines(text), lines);
    }

    void piecesGiveTheSameLinesAsTheWhole_data() { splits_data(); }
    void piecesGiveTheSameLinesAsTheWhole() {
        // Every way of cutting the text in two, and byte by byte: a CR at the end of one
        // piece and its LF at the start of the next must stay one break.
        QFETCH(QByteArray, text);
        QFETCH(QByteArrayList, lines);
        for (qsizetype cut = 0; cut <= text.size(); ++cut) {
            QByteArrayList got;
            LineSplitter splitter(got);
            splitter.feed(QByteArrayView(text).first(cut));
            splitter.feed(QByteArrayView(text).sliced(cut));
            splitter.finish();
            QVERIFY2(got == lines, qPrintable(QString("cut at %1").arg(cut)));
        }
        QByteArrayList got;
        LineSplitter splitter(got);
        for (char c : text)
            splitter.feed(QByteArrayView(&c, 1));
        splitter.finish();
        QCOMPARE(got, lines);
    }

    void stopsAtNul() {
        QByteArrayList got;
        LineSplitter splitter(got);
        QVERIFY(splitter.feed("ab\r"));
        QVERIFY(!splitter.feed(QByteArrayView("\ncd\0ef", 6)));
        QVERIFY(splitter.ended());
        QVERIFY(!splitter.feed("gh\r\n"));
        splitter.finish();
        QCOMPARE(got, (QByteArrayList{"ab", "cd"}));
    }
};

QTEST_GUILESS_MAIN(TestLineSplitter)
#include "tst_LineSplitter.moc"
