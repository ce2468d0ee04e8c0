// What the preview window and the error box tell the user about a report from Windows:
// missing figures and a converted encoding on the status line, and an error box wide enough.

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QtTest>

#include "document/OutputSettings.h"
#include "document/Tags.h"
#include "platform/Cp932.h"
#include "platform/FontSubstitution.h"
#include "ui/FormPreView.h"
#include "ui/MessageBoxes.h"
#include "ui/PreviewStatusLine.h"

class TestPreviewStatusLine : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        font_substitution::install();
        resetOutputSettings();
    }

    void previewTellsMissingFiguresAndEncoding() {
        QTemporaryDir report, elsewhere;
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(Qt::gray);
        QVERIFY(QDir(report.path()).mkpath("Sub"));
        QVERIFY(picture.save(report.filePath("Sub/Plan.bmp"), "BMP"));
        QByteArrayList lines = {tags::BmpFile.toByteArray(), "sub\\plan.bmp",
                                tags::EmfFile.toByteArray(), "C:\\fig\\beam.emf",
                                tags::JpgFile.toByteArray(), cp932::encode(u"写真\\1.jpg"_qs)};
        const QString saved = QDir::currentPath();
        QVERIFY(QDir::setCurrent(elsewhere.path()));
        TFormPreView window;
        window.FileName = report.filePath("report.txt");
        window.Lines = &lines;
        window.LinesEncoding.source = InputEncoding::Source::Utf8;
        window.LinesEncoding.unmappedCharacters = 3;
        window.show();
        QDir::setCurrent(saved);

        const PreviewStatusLine* status = window.StatusLine;
        QVERIFY(status->isVisible());
        QVERIFY2(status->text().contains(u"図形ファイルが 2 個見つかりません"_qs),
                 qPrintable(status->text()));
        QVERIFY2(status->text().contains(u"UTF-8"_qs) && status->text().contains(u"3 個"_qs),
                 qPrintable(status->text()));
        QCOMPARE(status->toolTip(), u"4 行目: C:\\fig\\beam.emf\n6 行目: 写真\\1.jpg"_qs);
        // Under the page area, across the window.
        QCoreApplication::processEvents();
        QVERIFY(status->geometry().top() >= window.ScrollBox1->geometry().bottom());
        QCOMPARE(status->width(), window.width());

        // Laid out again with every figure found, from a code page 932 file: nothing to say.
        lines = {tags::BmpFile.toByteArray(), "SUB\\PLAN.BMP"};
        window.LinesEncoding = InputEncoding();
        window.LayoutAgain();
        QVERIFY(!status->isVisible());
        QCOMPARE(status->toolTip(), QString());
    }

    void longListsAreCut() {
        QList<MissingFigure> missing;
        for (int i = 1; i <= 40; ++i)
            missing.append({QStringLiteral("f%1.bmp").arg(i), i * 2});
        const QStringList lines = PreviewStatusLine::toolTipText(missing).split('\n');
        QCOMPARE(lines.size(), 31);
        QCOMPARE(lines.front(), u"2 行目: f1.bmp"_qs);
        QCOMPARE(lines.back(), u"ほか 10 個"_qs);
        QVERIFY(PreviewStatusLine::noteText(InputEncoding(), missing).contains(u"40 個"_qs));
        QCOMPARE(PreviewStatusLine::noteText(InputEncoding(), {}), QString());
    }

    void errorBoxShowsItsCaptionAndPath() {
        const QString text = u"ビットマップイメージが不正です\n図形ファイル: "
                             u"/home/kozo/構造計算/2024/Job-12345/figures/sub/平面図-1階.bmp\n"
                             u"レポートの 1234 行目"_qs;
        const auto box = MakeErrorBox(nullptr, text);
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        const QFontMetrics metrics = box->fontMetrics();
        const int maxWidth = box->screen()->availableGeometry().width() * 2 / 3;
        const int needed = MessageBoxMinimumWidth(metrics, box->windowTitle(), text, maxWidth);
        QVERIFY2(box->width() >= needed, qPrintable(QString::number(box->width())));
        // The path line fits on one line (the box is no narrower than it needs).
        const int pathWidth = metrics.horizontalAdvance(text.section('\n', 1, 1));
        QVERIFY(needed >= std::min(pathWidth, maxWidth));
        box->close();
    }

    void errorBoxWidthRule() {
        const QFontMetrics metrics(QApplication::font());
        const int caption = metrics.horizontalAdvance(u"folioscope"_qs);
        // A short text: the caption decides.
        QVERIFY(MessageBoxMinimumWidth(metrics, u"folioscope"_qs, u"x"_qs, 2000) > caption + 100);
        // A long line decides, up to the limit.
        const QString line(200, QChar('W'));
        QVERIFY(MessageBoxMinimumWidth(metrics, u"folioscope"_qs, "a\n" + line, 100000) >
                metrics.horizontalAdvance(line));
        QCOMPARE(MessageBoxMinimumWidth(metrics, u"folioscope"_qs, line, 300), 300);
    }
};

QTEST_MAIN(TestPreviewStatusLine)
#include "tst_PreviewStatusLine.moc"
