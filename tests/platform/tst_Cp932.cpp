#include <QTest>

#include "platform/Cp932.h"

class TestCp932 : public QObject {
    Q_OBJECT
private slots:
    void leadBytes() {
        QVERIFY(!cp932::isLeadByte(0x80));
        QVERIFY(cp932::isLeadByte(0x81));
        QVERIFY(cp932::isLeadByte(0x9F));
        QVERIFY(!cp932::isLeadByte(0xA0));
        QVERIFY(!cp932::isLeadByte(0xDF)); // half-width katakana are single bytes
        QVERIFY(cp932::isLeadByte(0xE0));
        QVERIFY(cp932::isLeadByte(0xFC));
        QVERIFY(!cp932::isLeadByte(0xFD));
    }
    void decodesRowsThatStrictShiftJisRejects() {
        // backslash stays a backslash; NEC row 13 (circled one) and an IBM extension kanji
        QCOMPARE(cp932::decode("C:\\x"), QStringLiteral("C:\\x"));
        QCOMPARE(cp932::decode("\x87\x40"), QString(QChar(0x2460)));
        QCOMPARE(cp932::decode("\xFA\x40"), QString(QChar(0x2170)));
        QCOMPARE(cp932::decode("\x84\xA1\x81\x40\xB1"), QStringLiteral("┌　ｱ"));
    }
    void badBytesBecomeReplacementCharacters() {
        QCOMPARE(cp932::decode("a\x80"
                               "b"),
                 QStringLiteral("a\uFFFDb"));
        QCOMPARE(cp932::decode("ab\x84"), QStringLiteral("ab\uFFFD")); // lead byte at the end
        QCOMPARE(cp932::decode(""), QString());
    }
    void roundTrip() {
        const QString text = QStringLiteral("梁 B1 300×600 ｺﾝｸﾘｰﾄ ━┌");
        QCOMPARE(cp932::decode(cp932::encode(text)), text);
        QCOMPARE(cp932::encode(QStringLiteral("a😀b")), QByteArray("a?b"));
    }
    void truncationKeepsWholeCharacters() {
        const QByteArray mincho = cp932::encode(QStringLiteral("ＭＳ 明朝")); // 9 bytes
        QCOMPARE(mincho.size(), 9);
        QCOMPARE(cp932::truncated(mincho, 9), mincho);
        QCOMPARE(cp932::truncated(mincho, 8), mincho.left(7)); // would split 朝: keep one less
        QCOMPARE(cp932::truncated(mincho, 5), mincho.left(5));
        QCOMPARE(cp932::truncated(mincho, 4), mincho.left(4));
        QCOMPARE(cp932::truncated(mincho, 3), mincho.left(2));
        QCOMPARE(cp932::truncated("abc", 0), QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestCp932)
#include "tst_Cp932.moc"
