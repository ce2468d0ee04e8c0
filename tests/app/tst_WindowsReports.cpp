// Reports written on Windows and copied here with their figures beside them, laid out from
// another folder through the command-line export.

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "app/FormFolioscopeMain.h"
#include "app/PdfExport.h"
#include "app/PdfExportOptions.h"
#include "app/ReportText.h"
#include "document/Tags.h"
#include "pages/PrintPreview.h"
#include "platform/Cp932.h"
#include "platform/FontSubstitution.h"
#include "support/RunTool.h"
#include "ui/FormPreView.h"
#include "ui/PreviewStatusLine.h"

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray sjis(const char* text) {
    return cp932::encode(QString::fromUtf8(text));
}

QByteArray crlf(const QByteArrayList& lines) {
    return lines.join("\r\n") + "\r\n";
}

// A 40 x 20 bitmap and a 30 x 10 JPEG.
QByteArray image(const char* format, int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(qRgb(30, 90, 160));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, format);
    return bytes;
}

template <typename Record> int countOf(const TPrintPreview& store) {
    int n = 0;
    for (int p = 0; p < store.PageCount(); ++p)
        for (const PageRecord& record : store.GetPage(p).records())
            n += std::holds_alternative<Record>(record);
    return n;
}

} // namespace

class TestWindowsReports : public QObject {
    Q_OBJECT

    QTemporaryDir root_;
    QString report_;    // the report, in its folder with the figures
    QString elsewhere_; // the working directory of the runs

    bool haveBinary() const { return QFile::exists(QStringLiteral(FOLIOSCOPE_BINARY)); }

private slots:
    void initTestCase() {
        font_substitution::install();
        QVERIFY(root_.isValid());
        // The main window stores its last folder: not in the user's settings.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, root_.filePath("config"));
        const QString folder = root_.filePath("Kozo Job");
        elsewhere_ = root_.filePath("desktop");
        QVERIFY(QDir().mkpath(elsewhere_));
        writeFile(folder + "/Sub/Plan.BMP", image("BMP", 40, 20));
        writeFile(folder + "/Photos/SITE.jpg", image("JPG", 30, 10));
        writeFile(folder + "/bad.bmp", QByteArray("BM") + QByteArray(60, '\x7f'));
        writeFile(folder + "/bad.jpg", QByteArray("\xFF\xD8\xFF\xE0") + QByteArray(40, '\0'));
        report_ = folder + "/report.txt";
        writeFile(report_,
                  crlf({sjis("見出し"), tags::BmpFile.toByteArray(), "sub\\plan.bmp",
                        tags::JpgFile.toByteArray(), "C:\\Users\\kozo\\Documents\\Photos\\site.JPG",
                        tags::BmpFileC.toByteArray(), "\\\\server\\share\\sub\\PLAN.bmp",
                        tags::EmfFile.toByteArray(), sjis("図\\梁.emf"), "end"}));
    }

    void figuresBesideTheReportFromAnotherFolder() {
        // Through the export's layout: the figures are found from the input file's folder.
        const QString saved = QDir::currentPath();
        QVERIFY(QDir::setCurrent(elsewhere_));
        const ReportText text = ReadReportText(report_);
        PdfExportOptions options;
        options.InputPath = report_;
        TPrintPreview store;
        const LayoutState state = pdf_export::layOut(text.lines, options, store);
        QDir::setCurrent(saved);
        QCOMPARE(countOf<ImageRecord>(store), 3); // plan twice, the photo once
        QCOMPARE(state.MissingFigures.size(), 1);
        QCOMPARE(state.MissingFigures[0].name, QString::fromUtf8("図\\梁.emf"));
        QCOMPARE(state.MissingFigures[0].line, 9);
    }

    void pdfExportNamesMissingFiguresOnStderr() {
        if (!haveBinary())
            QSKIP("the program is not built in this tree (sanitizer builds build the tests only)");
        const QString pdf = root_.filePath("out.pdf");
        const ToolRun run = runTool({"--pdf", pdf, report_}, elsewhere_);
        QCOMPARE(run.exitCode, 0);
        QVERIFY(QFile::exists(pdf));
        const QStringList notes = run.err.split('\n').filter("figure file not found");
        QCOMPARE(notes.size(), 1);
        QVERIFY2(notes[0].endsWith(report_ + QString::fromUtf8(":9: figure file not found: "
                                                               "図\\梁.emf")),
                 qPrintable(notes[0]));
        QVERIFY(!run.err.contains("UTF-8"));
    }

    void utf8ReportIsConvertedAndSaysSo() {
        if (!haveBinary())
            QSKIP("the program is not built in this tree (sanitizer builds build the tests only)");
        const QString path = root_.filePath("Kozo Job/utf8.txt");
        writeFile(path, "\xEF\xBB\xBF" + QString::fromUtf8("構造計算書\r\n한\r\n").toUtf8());
        const ToolRun run = runTool({"--pdf", root_.filePath("utf8.pdf"), path}, elsewhere_);
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.contains(path + ": UTF-8 text converted to code page 932; byte-order "
                                         "mark dropped; 1 character(s)"),
                 qPrintable(run.err));
    }

    void openedFromTheMainWindowTheStatusLineTells() {
        // A UTF-8 report with one missing figure, opened while the working directory is
        // elsewhere: the preview says both, and lays out the converted lines.
        const QString path = root_.filePath("Kozo Job/opened.txt");
        writeFile(path,
                  (QString::fromUtf8("構造計算書\r\n") + cp932::decode(tags::BmpFileC) +
                   "\r\nsub\\plan.bmp\r\n" + cp932::decode(tags::EmfFile) + "\r\nnone.emf\r\n")
                      .toUtf8());
        const QString saved = QDir::currentPath();
        QVERIFY(QDir::setCurrent(elsewhere_));
        TFormFolioscopeMain main;
        QString status;
        int images = -1;
        main.RunPreview = [&](TFormPreView& preview) {
            preview.show();
            status = preview.StatusLine->isVisible() ? preview.StatusLine->text() : QString();
            images = countOf<ImageRecord>(preview.PrintPreview1);
        };
        main.show();
        main.OpenFile(path);
        QDir::setCurrent(saved);
        QVERIFY(main.LinesEncoding.converted());
        QCOMPARE(main.Lines.front(), sjis("構造計算書"));
        QCOMPARE(images, 1);
        QVERIFY2(status.contains(QString::fromUtf8("1 個見つかりません")), qPrintable(status));
        QVERIFY2(status.contains("UTF-8"), qPrintable(status));
    }

    void damagedFiguresNameTheFileAndLine_data() {
        QTest::addColumn<QByteArray>("tagLine");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("bitmap") << tags::BmpFile.toByteArray() << "bad.bmp"
                                << QString::fromUtf8("ビットマップイメージが不正です");
        QTest::newRow("jpeg") << tags::JpgFile.toByteArray() << "bad.jpg"
                              << QString::fromUtf8("JPEG エラー #");
    }
    void damagedFiguresNameTheFileAndLine() {
        if (!haveBinary())
            QSKIP("the program is not built in this tree (sanitizer builds build the tests only)");
        QFETCH(QByteArray, tagLine);
        QFETCH(QString, file);
        QFETCH(QString, message);
        const QString path = root_.filePath("Kozo Job/damaged.txt");
        writeFile(path, crlf({"one", "two", tagLine, "BAD." + file.section('.', 1).toLatin1()}));
        const ToolRun run = runTool({"--pdf", root_.filePath("damaged.pdf"), path}, elsewhere_);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QVERIFY2(run.err.contains(QString::fromUtf8("図形ファイル: ") +
                                  root_.filePath("Kozo Job/") + file),
                 qPrintable(run.err));
        QVERIFY2(run.err.contains(QString::fromUtf8("レポートの 4 行目")), qPrintable(run.err));
    }
};

QTEST_MAIN(TestWindowsReports)
#include "tst_WindowsReports.moc"
