#include <QTest>

#include "document/Tags.h"
#include "platform/Cp932.h"

class TestTags : public QObject {
    Q_OBJECT
private slots:
    void japaneseTagsHaveTheirCodePageBytes_data() {
        QTest::addColumn<QByteArray>("tag");
        QTest::addColumn<QByteArray>("hex");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* name, QByteArrayView tag, const char* hex,
                            const QString& text) {
            QTest::newRow(name) << tag.toByteArray() << QByteArray(hex) << text;
        };
        row("fraction", tags::Fraction, "3C95AA9094 8EAE3E", QStringLiteral("<分数式>"));
        row("emf", tags::EmfFile, "3C656D66837483408343838B3E", QStringLiteral("<emfファイル>"));
        row("emf0", tags::EmfFile0, "3C656D66837483408343838B303E",
            QStringLiteral("<emfファイル0>"));
        row("emfC", tags::EmfFileC, "3C656D66837483408343838B433E",
            QStringLiteral("<emfファイルC>"));
        row("emfR", tags::EmfFileR, "3C656D66837483408343838B523E",
            QStringLiteral("<emfファイルR>"));
        row("emfS", tags::EmfFileS, "3C656D66837483408343838B533E",
            QStringLiteral("<emfファイルS>"));
        row("emfL", tags::EmfFileL, "3C656D66837483408343838B4C3E",
            QStringLiteral("<emfファイルL>"));
        row("bmp", tags::BmpFile, "3C626D70837483408343838B3E", QStringLiteral("<bmpファイル>"));
        row("bmpC", tags::BmpFileC, "3C626D70837483408343838B433E",
            QStringLiteral("<bmpファイルC>"));
        row("bmpR", tags::BmpFileR, "3C626D70837483408343838B523E",
            QStringLiteral("<bmpファイルR>"));
        row("bmpL", tags::BmpFileL, "3C626D70837483408343838B4C3E",
            QStringLiteral("<bmpファイルL>"));
        row("jpg", tags::JpgFile, "3C6A7067837483408343838B3E", QStringLiteral("<jpgファイル>"));
        row("insert", tags::FigureInsert, "3C907D8C60917D93FC3E", QStringLiteral("<図形挿入>"));
        row("placeR", tags::FigurePlaceR, "3C907D8C60947A9275523E", QStringLiteral("<図形配置R>"));
        row("placeS", tags::FigurePlaceS, "3C907D8C60947A9275533E", QStringLiteral("<図形配置S>"));
        row("placeL", tags::FigurePlaceL, "3C907D8C60947A92754C3E", QStringLiteral("<図形配置L>"));
        row("placeRMFai", tags::FigurePlaceRMFai, "3C907D8C60947A9275525F4D4661693E",
            QStringLiteral("<図形配置R_MFai>"));
        row("placeRMFai2", tags::FigurePlaceRMFai2, "3C907D8C60947A9275525F4D466169323E",
            QStringLiteral("<図形配置R_MFai2>"));
        row("placeMSita", tags::FigurePlaceMSita, "3C907D8C60947A92754D536974613E",
            QStringLiteral("<図形配置MSita>"));
        row("placePDelt", tags::FigurePlacePDelt, "3C907D8C60947A92755044656C743E",
            QStringLiteral("<図形配置PDelt>"));
        row("placePDelt2", tags::FigurePlacePDelt2, "3C907D8C60947A92755044656C74323E",
            QStringLiteral("<図形配置PDelt2>"));
    }
    void japaneseTagsHaveTheirCodePageBytes() {
        QFETCH(QByteArray, tag);
        QFETCH(QByteArray, hex);
        QFETCH(QString, text);
        QCOMPARE(tag.toHex().toUpper(), hex.replace(" ", ""));
        QCOMPARE(cp932::encode(text), tag); // the table and the code page agree
        QVERIFY(IsTagLine(tag));
    }

    void thirtyTwoDistinctTagsAndTheirGroups() {
        int fileTags = 0;
        int blockTags = 0;
        for (std::size_t i = 0; i < tags::AllTags.size(); ++i) {
            QVERIFY(IsTagLine(tags::AllTags[i]));
            for (std::size_t j = 0; j < i; ++j)
                QVERIFY(tags::AllTags[i] != tags::AllTags[j]);
            fileTags += tags::isFigureFileTag(tags::AllTags[i]);
            blockTags += tags::isFigureBlockTag(tags::AllTags[i]);
            QVERIFY(!(tags::isFigureFileTag(tags::AllTags[i]) &&
                      tags::isFigureBlockTag(tags::AllTags[i])));
        }
        QCOMPARE(fileTags, 11);
        QCOMPARE(blockTags, 9);
        QVERIFY(tags::isMetafileTag(tags::EmfFile0) && !tags::isMetafileTag(tags::BmpFile));
        QVERIFY(tags::isBitmapTag(tags::BmpFileL) && !tags::isBitmapTag(tags::JpgFile));
        QVERIFY(!tags::isFigureFileTag(tags::FigureInsert));
        QVERIFY(!tags::isFigureBlockTag(tags::Fraction));

        // Lines as the document holds them compare directly with the constants.
        const QByteArrayList lines{"<Font1>", "<Font1> "};
        QVERIFY(lines[0] == tags::Font1);
        QVERIFY(lines[1] != tags::Font1);
        QVERIFY(tags::Font2 != lines[0]);
    }

    void nearMissesAreTextLines_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("trailing blank") << QByteArray("<Font1> ");
        QTest::newRow("leading blank") << QByteArray(" <Font1>");
        QTest::newRow("other case") << QByteArray("<font1>");
        QTest::newRow("other digit") << QByteArray("<Font4>");
        QTest::newRow("text after") << QByteArray("<Page-End>x");
        QTest::newRow("trailing CR") << QByteArray("<Page-End>\r");
        QTest::newRow("no closing bracket") << QByteArray("<Title-End");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("brackets only") << QByteArray("<>");
        QTest::newRow("full-width bracket") << cp932::encode(QStringLiteral("＜Font1＞"));
        QTest::newRow("figure line") << QByteArray("Fig 1205 3 0");
        QTest::newRow("emf without bracket") << QByteArray(tags::EmfFile.toByteArray()).chopped(1);
        QTest::newRow("fraction plus byte") << (tags::Fraction.toByteArray() + ' ');
    }
    void nearMissesAreTextLines() {
        QFETCH(QByteArray, line);
        QVERIFY(!IsTagLine(line));
        QVERIFY(!tags::isFigureFileTag(line));
        QVERIFY(!tags::isFigureBlockTag(line));
    }
};

QTEST_GUILESS_MAIN(TestTags)
#include "tst_Tags.moc"
