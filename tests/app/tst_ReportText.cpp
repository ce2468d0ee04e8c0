#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app/LayoutNotes.h"
#include "app/ReportText.h"
#include "app/TextFileReader.h"
#include "platform/Cp932.h"

class TestReportText : public QObject {
    Q_OBJECT

private slots:
    void shiftJisFilesAreReadByteForByte() {
        QStringList files = {QStringLiteral(FOLIOSCOPE_SOURCE_DIR "/examples/sample-report.txt")};
        const QDir shared(QStringLiteral(FOLIOSCOPE_SHARED_TESTDATA "/sjis"));
        const QStringList names = shared.entryList(QDir::Files, QDir::Name);
        if (names.isEmpty())
            QSKIP("the shared Shift-JIS test files are not present");
        for (const QString& name : names)
            files.append(shared.filePath(name));
        for (const QString& file : files) {
            const ReportText text = ReadReportText(file);
            QVERIFY2(!text.encoding.converted(), qPrintable(file));
            QVERIFY2(text.lines == ReadTextFileLines(file), qPrintable(file));
            QVERIFY2(!text.lines.isEmpty(), qPrintable(file));
        }
    }

    void utf8FileIsConvertedOnce() {
        QTemporaryDir dir;
        const QString path = dir.filePath("utf8.txt");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\xEF\xBB\xBF<Font1>\r\n");
        file.write(QString::fromUtf8("構造計算書 ①\r\n한\r\n").toUtf8());
        file.close();
        const ReportText text = ReadReportText(path);
        QVERIFY(text.encoding.converted());
        QVERIFY(text.encoding.byteOrderMarkDropped);
        QCOMPARE(text.encoding.unmappedCharacters, 1);
        QCOMPARE(text.lines,
                 QByteArrayList({"<Font1>", cp932::encode(QString::fromUtf8("構造計算書 ①")),
                                 cp932::encode(QString::fromUtf8("？"))}));
    }

    void commandLineNotes() {
        InputEncoding encoding;
        QCOMPARE(LayoutNoteLines("r.txt", encoding, {}), QStringList());
        encoding.source = InputEncoding::Source::Utf8;
        encoding.byteOrderMarkDropped = true;
        encoding.unmappedCharacters = 2;
        const QStringList lines = LayoutNoteLines(
            "r.txt", encoding, {{QString::fromUtf8("図\\平面.bmp"), 88}, {"C:\\a.jpg", 97}});
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].startsWith("r.txt: UTF-8 text converted to code page 932"));
        QVERIFY(lines[0].contains("byte-order mark dropped"));
        QVERIFY(lines[0].contains("2 character(s)"));
        QCOMPARE(lines[1], QString::fromUtf8("r.txt:88: figure file not found: 図\\平面.bmp"));
        QCOMPARE(lines[2], QString::fromUtf8("r.txt:97: figure file not found: C:\\a.jpg"));
    }
};

QTEST_GUILESS_MAIN(TestReportText)
#include "tst_ReportText.moc"
