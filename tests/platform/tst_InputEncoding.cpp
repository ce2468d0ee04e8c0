#include <QTest>

#include "platform/Cp932.h"
#include "platform/InputEncoding.h"

namespace {

QByteArray utf8(const char* text) {
    return QByteArray(text);
}

QByteArray sjis(const char* text) {
    return cp932::encode(QString::fromUtf8(text));
}

const QByteArray Bom = "\xEF\xBB\xBF";

} // namespace

class TestInputEncoding : public QObject {
    Q_OBJECT

private slots:
    void utf8Validity_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("valid");
        QTest::newRow("ASCII") << QByteArray("abc <Font1>") << true;
        QTest::newRow("two, three, four bytes") << utf8("é 表 😀") << true;
        QTest::newRow("highest code point") << QByteArray("\xF4\x8F\xBF\xBF") << true;
        QTest::newRow("overlong two") << QByteArray("\xC0\xAF") << false;
        QTest::newRow("overlong three") << QByteArray("\xE0\x80\xAF") << false;
        QTest::newRow("overlong four") << QByteArray("\xF0\x80\x80\xAF") << false;
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << false;
        QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << false;
        QTest::newRow("F5 lead") << QByteArray("\xF5\x80\x80\x80") << false;
        QTest::newRow("cut short") << QByteArray("\xE8\xA1") << false;
        QTest::newRow("lone continuation") << QByteArray("a\x80") << false;
        QTest::newRow("bad continuation") << QByteArray("\xE8\x41\x41") << false;
        QTest::newRow("Shift-JIS") << sjis("構造計算書") << false;
    }
    void utf8Validity() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, valid);
        QCOMPARE(InputEncoding::isUtf8(bytes), valid);
    }

    void cp932Validity_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("valid");
        QTest::newRow("ASCII and half-width kana") << QByteArray("abc \xB1\xB2") << true;
        QTest::newRow("double-byte, trail 0x5C") << sjis("表示") << true;
        QTest::newRow("lead byte at the end") << QByteArray("ab\x81") << false;
        QTest::newRow("lead byte before ASCII control") << QByteArray("\x81\x0A") << false;
        QTest::newRow("trail 0x7F") << QByteArray("\x81\x7F") << false;
        QTest::newRow("trail 0xFD") << QByteArray("\xE0\xFD") << false;
        QTest::newRow("0x80 alone") << QByteArray("a\x80") << false;
        QTest::newRow("0xA0 alone") << QByteArray("a\xA0") << false;
        QTest::newRow("unassigned row") << QByteArray("\x85\x40") << false;
        QTest::newRow("user-defined area") << QByteArray("\xF0\x40") << true;
        QTest::newRow("UTF-8 Japanese") << utf8("構造計算書の柱") << false;
    }
    void cp932Validity() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, valid);
        QCOMPARE(InputEncoding::isCp932(bytes), valid);
    }

    void normalise_data() {
        QTest::addColumn<QByteArrayList>("lines");
        QTest::addColumn<QByteArrayList>("expected");
        QTest::addColumn<bool>("converted");
        QTest::addColumn<bool>("markDropped");
        QTest::addColumn<int>("unmapped");

        const QByteArrayList japanese = {utf8("<Font1>"), utf8("1.  建物概要"), QByteArray(),
                                         utf8("  柱  C1  600×600"), utf8("figures\\平面.bmp")};
        QByteArrayList japaneseSjis;
        for (const QByteArray& line : japanese)
            japaneseSjis.append(cp932::encode(QString::fromUtf8(line)));
        QTest::newRow("UTF-8 Japanese") << japanese << japaneseSjis << true << false << 0;

        QByteArrayList marked = japanese;
        marked.front().prepend(Bom);
        QTest::newRow("UTF-8 with a byte-order mark")
            << marked << japaneseSjis << true << true << 0;
        QTest::newRow("byte-order mark before ASCII")
            << QByteArrayList{Bom + "<Font1>", "text"} << QByteArrayList{"<Font1>", "text"} << true
            << true << 0;
        QTest::newRow("characters without a code page 932 form")
            << QByteArrayList{utf8("한국 ok"), utf8("😀 ✓ 表")}
            << QByteArrayList{sjis("？？ ok"), sjis("？ ？ 表")} << true << false << 4;
        QTest::newRow("marks of other Japanese tables")
            << QByteArrayList{utf8("〜 − ‖ ¢ £ ¬ — 日本")}
            << QByteArrayList{sjis("～ － ∥ ￠ ￡ ￢ ― 日本")} << true << false << 0;

        // Left byte for byte.
        const QByteArrayList shiftJis = {sjis("<Font1>"), sjis("構造計算書　表示"), "ascii"};
        QTest::newRow("Shift-JIS") << shiftJis << shiftJis << false << false << 0;
        QTest::newRow("ASCII") << QByteArrayList{"a", "b"} << QByteArrayList{"a", "b"} << false
                               << false << 0;
        // "é" in UTF-8 is two half-width kana in code page 932: the producing programs' reading
        // wins.
        QTest::newRow("valid in both")
            << QByteArrayList{utf8("café")} << QByteArrayList{utf8("café")} << false << false << 0;
        const QByteArrayList markedSjis = {Bom + sjis("表題"), sjis("本文")};
        QTest::newRow("mark before Shift-JIS") << markedSjis << markedSjis << false << false << 0;
        QTest::newRow("empty") << QByteArrayList() << QByteArrayList() << false << false << 0;
    }
    void normalise() {
        QFETCH(QByteArrayList, lines);
        QFETCH(QByteArrayList, expected);
        QFETCH(bool, converted);
        QFETCH(bool, markDropped);
        QFETCH(int, unmapped);
        const InputEncoding encoding = InputEncoding::normalise(lines);
        QCOMPARE(lines, expected);
        QCOMPARE(encoding.converted(), converted);
        QCOMPARE(encoding.byteOrderMarkDropped, markDropped);
        QCOMPARE(encoding.unmappedCharacters, unmapped);
    }
};

QTEST_GUILESS_MAIN(TestInputEncoding)
#include "tst_InputEncoding.moc"
