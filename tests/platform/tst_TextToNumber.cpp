#include <QTest>

#include "platform/NumberTextFolding.h"
#include "platform/TextToNumber.h"

using namespace text_to_number;

class TestTextToNumber : public QObject {
    Q_OBJECT
private slots:
    void integers_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("expected"); // -999 stands for "not a number"
        QTest::newRow("plain") << QByteArray("42") << 42;
        QTest::newRow("leading blanks, sign") << QByteArray(" -5") << -5;
        QTest::newRow("plus") << QByteArray("+7") << 7;
        QTest::newRow("dollar hex") << QByteArray("$1F") << 31;
        QTest::newRow("0x hex") << QByteArray("0x1f") << 31;
        QTest::newRow("negative hex") << QByteArray("-$10") << -16;
        QTest::newRow("hex wraps at 32 bits") << QByteArray("$FFFFFFFF") << -1;
        QTest::newRow("hex too long") << QByteArray("$100000000") << -999;
        QTest::newRow("0x alone") << QByteArray("0x") << -999;
        QTest::newRow("dollar alone") << QByteArray("$") << -999;
        QTest::newRow("empty") << QByteArray("") << -999;
        QTest::newRow("blank") << QByteArray("   ") << -999;
        QTest::newRow("trailing blank") << QByteArray("5 ") << -999;
        QTest::newRow("fraction") << QByteArray("12.5") << -999;
        QTest::newRow("letters") << QByteArray("x") << -999;
        QTest::newRow("max") << QByteArray("2147483647") << 2147483647;
        QTest::newRow("min") << QByteArray("-2147483648") << int(-2147483648LL);
        QTest::newRow("overflow") << QByteArray("2147483648") << -999;
        QTest::newRow("long overflow") << QByteArray("99999999999999999999") << -999;
        QTest::newRow("sign alone") << QByteArray("-") << -999;
    }
    void integers() {
        QFETCH(QByteArray, text);
        QFETCH(int, expected);
        QCOMPARE(intOr(QByteArrayView(text), -999), expected);
    }
    void reals_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<double>("expected"); // -999 stands for "not a number"
        QTest::newRow("integer") << QByteArray("100") << 100.0;
        QTest::newRow("fraction") << QByteArray("12.5") << 12.5;
        QTest::newRow("blanks around") << QByteArray("  150 ") << 150.0;
        QTest::newRow("exponent") << QByteArray("1e3") << 1000.0;
        QTest::newRow("signed exponent") << QByteArray("-2.5E-2") << -0.025;
        QTest::newRow("leading point") << QByteArray(".5") << 0.5;
        QTest::newRow("trailing point") << QByteArray("5.") << 5.0;
        QTest::newRow("exponent without digits") << QByteArray("1e") << -999.0;
        QTest::newRow("point alone") << QByteArray(".") << -999.0;
        QTest::newRow("comma") << QByteArray("1,5") << -999.0;
        QTest::newRow("inf") << QByteArray("inf") << -999.0;
        QTest::newRow("hex") << QByteArray("0x10") << -999.0;
        QTest::newRow("too large") << QByteArray("1e999") << -999.0;
        QTest::newRow("letters") << QByteArray("abc") << -999.0;
        QTest::newRow("empty") << QByteArray("") << -999.0;
    }
    void reals() {
        QFETCH(QByteArray, text);
        QFETCH(double, expected);
        QCOMPARE(realOr(QByteArrayView(text), -999.0), expected);
    }

    // What an input method types for the keys of a number, folded to ASCII; anything else kept.
    void folding_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("folded");
        QTest::newRow("digits") << u"０１２３４５６７８９"_qs << u"0123456789"_qs;
        QTest::newRow("signs, point") << u"＋－．"_qs << u"+-."_qs;
        QTest::newRow("hex and exponent") << u"＄ｘＸａＦｅＥ"_qs << u"$xXaFeE"_qs;
        QTest::newRow("full-width ends") << u"！～"_qs << u"!~"_qs;
        QTest::newRow("ideographic space") << u"\u3000１"_qs << u" 1"_qs;
        QTest::newRow("minus-like marks")
            << u"\u2212\u2010\u2011\u2012\u2013\uFE63ーｰ"_qs << u"--------"_qs;
        QTest::newRow("ideographic full stops") << u"。｡"_qs << u".."_qs;
        QTest::newRow("ASCII as it is") << u" -12.5e3 $1F"_qs << u" -12.5e3 $1F"_qs;
        QTest::newRow("other marks kept") << u"①½²、ア"_qs << u"①½²、ア"_qs;
        QTest::newRow("empty") << QString() << QString();
    }
    void folding() {
        QFETCH(QString, typed);
        QFETCH(QString, folded);
        QCOMPARE(number_text::foldToAscii(typed), folded);
    }

    // The edit boxes' readers take the folded text through the same rules.
    void editBoxText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("integer"); // -999 stands for "not a number"
        QTest::addColumn<double>("real");
        QTest::newRow("full-width") << u"１５０"_qs << 150 << 150.0;
        QTest::newRow("full-width minus") << u"－５"_qs << -5 << -5.0;
        QTest::newRow("kana-mode minus") << u"ー５"_qs << -5 << -5.0;
        QTest::newRow("ideographic blank first") << u"\u3000７"_qs << 7 << 7.0;
        QTest::newRow("mixed widths") << u"1２"_qs << 12 << 12.0;
        QTest::newRow("full-width point") << u"１２．５"_qs << -999 << 12.5;
        QTest::newRow("ideographic stop") << u"１２。５"_qs << -999 << 12.5;
        QTest::newRow("full-width hex") << u"＄１Ｆ"_qs << 31 << -999.0;
        QTest::newRow("full-width exponent") << u"１ｅ３"_qs << -999 << 1000.0;
        QTest::newRow("percent sign") << u"１５０％"_qs << -999 << -999.0;
        QTest::newRow("circled digit") << u"①"_qs << -999 << -999.0;
        QTest::newRow("comma") << u"１，５"_qs << -999 << -999.0;
    }
    void editBoxText() {
        QFETCH(QString, text);
        QFETCH(int, integer);
        QFETCH(double, real);
        QCOMPARE(intOr(text, -999), integer);
        QCOMPARE(realOr(text, -999.0), real);
    }
};

QTEST_GUILESS_MAIN(TestTextToNumber)
#include "tst_TextToNumber.moc"
