// Splitting metafile strings into characters with the code units their advances count.

#include <QTest>

#include "platform/GdiText.h"

using gdi_text::Character;

namespace {

QStringList texts(const std::vector<Character>& cs) {
    QStringList out;
    for (const Character& c : cs)
        out << c.text;
    return out;
}

QList<int> units(const std::vector<Character>& cs) {
    QList<int> out;
    for (const Character& c : cs)
        out << c.units;
    return out;
}

} // namespace

class TestGdiText : public QObject {
    Q_OBJECT
private slots:
    void codePage932ForJapaneseAndDefaultCharsets() {
        // 梁 (0x97 0xC0), half-width ｺ (0xBA), a backslash that stays one.
        const QByteArray bytes("\x97\xC0\xBA\\");
        for (int charset : {128, 1, 255}) {
            const auto cs = gdi_text::splitBytes(bytes, charset);
            QCOMPARE(texts(cs), QStringList({QStringLiteral("梁"), QStringLiteral("ｺ"),
                                             QStringLiteral("\\")}));
            QCOMPARE(units(cs), QList<int>({2, 1, 1}));
        }
        // A lead byte at the end has no partner: one unit, replacement character.
        const auto cut = gdi_text::splitBytes(QByteArray("a\x97"), 128);
        QCOMPARE(units(cut), QList<int>({1, 1}));
        QCOMPARE(cut[1].text, QString(QChar(0xFFFD)));
    }

    void ansiIsWindows1252AndSymbolIsGreek() {
        QCOMPARE(texts(gdi_text::splitBytes(QByteArray("\x80\xE9\x93"), 0)),
                 QStringList({QStringLiteral("€"), QStringLiteral("é"), QStringLiteral("“")}));
        QCOMPARE(texts(gdi_text::splitBytes(QByteArray("abW\xB1"), 2)),
                 QStringList({QStringLiteral("α"), QStringLiteral("β"), QStringLiteral("Ω"),
                              QStringLiteral("±")}));
        QVERIFY(gdi_text::isSymbolCharset(2));
        QVERIFY(!gdi_text::isSymbolCharset(128));
    }

    void surrogatePairsAreOneCharacterOfTwoUnits() {
        const QString s =
            QStringLiteral("A") + QString::fromUcs4(U"\U0002000B") + QStringLiteral("B");
        const auto cs = gdi_text::splitUtf16(s);
        QCOMPARE(units(cs), QList<int>({1, 2, 1}));
        QCOMPARE(cs[1].text.size(), 2);
        // A lone high surrogate stays one unit.
        QCOMPARE(units(gdi_text::splitUtf16(QString(QChar(0xD800)))), QList<int>({1}));
    }
};

QTEST_GUILESS_MAIN(TestGdiText)
#include "tst_GdiText.moc"
