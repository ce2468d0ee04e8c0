// The preview window's printer setup, print and PDF buttons driven as a user clicks them: the
// dialogs answered through the window's seams (or a real print dialog accepted from a timer),
// the layout run again for the printer, and the job that reaches a real CUPS queue.

#include <QComboBox>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "app/Application.h"
#include "pages/CurrentPrinter.h"
#include "pages/PagesErrors.h"
#include "platform/FontSubstitution.h"
#include "support/CupsTestQueue.h"
#include "support/PagedLines.h"
#include "ui/FormPreView.h"
#include "ui/FormPrintProgress.h"

namespace {

QStringList errors;

struct Preview {
    QByteArrayList lines;
    std::unique_ptr<TFormPreView> window = std::make_unique<TFormPreView>();

    explicit Preview(int pages) : lines(pagedLines(pages)) {
        window->FileName = QStringLiteral("/data/report.txt");
        window->Lines = &lines;
        window->show();
        (void)QTest::qWaitForWindowExposed(window.get());
    }
    TFormPreView* operator->() { return window.get(); }
    const PageRecording* page(int number) { return &window->PrintPreview1.GetPage(number - 1); }
    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    // The print button's handler when it fails: posted, so the event loop delivers its
    // failure to the standard error box. Not through the button, because Qt leaks pieces of
    // the button's mouse and accessibility state when an exception unwinds through them, and
    // the leak check would report that.
    void printClickThatFails() {
        QMetaObject::invokeMethod(window.get(), &TFormPreView::BitBtnPrintOutClick,
                                  Qt::QueuedConnection);
        QCoreApplication::processEvents();
    }
};

// The job that a click added, or 0.
int newJob(const QList<int>& before) {
    int job = 0;
    for (int id : cups_test::jobIds())
        if (!before.contains(id))
            job = std::max(job, id);
    return job;
}

} // namespace

class TestFormPreViewPrint : public QObject {
    Q_OBJECT
    std::unique_ptr<cups_test::Scheduler> cups_;
    QString noCups_;

private slots:
    void initTestCase() {
        font_substitution::install();
        noCups_ = cups_test::startForTests(cups_);
    }
    void init() {
        errors.clear();
        current_printer::replace(nullptr);
    }
    void cleanupTestCase() {
        current_printer::replace(nullptr);
        cups_.reset();
    }

    // Cancel changes nothing; OK with landscape lays the pages out for the landscape sheet.
    void printerSetup() {
        Preview preview(3);
        const PageRecording* before = preview.page(1);
        QList<QPrinter*> shownOn;
        preview->ExecPrinterSetupDialog = [&](QPageSetupDialog& dialog) {
            shownOn << dialog.printer();
            return int(QDialog::Rejected);
        };
        preview.click(preview->BitBtnPrintSetUp);
        QCOMPARE(shownOn, QList<QPrinter*>{&current_printer::get()});
        QCOMPARE(preview.page(1), before); // not laid out again
        QCOMPARE(preview->State.PrinterInfo.Landscape, 0);

        const int portraitWidth = preview->State.PrinterInfo.PaperWidthDots;
        preview->ExecPrinterSetupDialog = [](QPageSetupDialog& dialog) {
            dialog.printer()->setPageOrientation(QPageLayout::Landscape);
            return int(QDialog::Accepted);
        };
        preview.click(preview->BitBtnPrintSetUp);
        QVERIFY(errors.isEmpty());
        const TPrinterInfo& info = preview->State.PrinterInfo;
        QCOMPARE(info.Landscape, 1);
        QCOMPARE(info.PaperHeightDots, portraitWidth);
        QVERIFY(info.PaperWidthDots > info.PaperHeightDots);
        QCOMPARE(preview->PrintPreview1.PageCount(), 3);
        QCOMPARE(preview->PrintPreview1.referenceDevice().PaperWidthDots, info.PaperWidthDots);
        QVERIFY(preview.page(1) != before);

        // The next window of the run starts on the landscape printer too.
        Preview next(1);
        QCOMPARE(next->State.PrinterInfo.Landscape, 1);
    }

    // The dialog as it is offered: range 1 .. PageCount, collate ticked, no selection, no
    // file; the range kind kept for the window's life; cancel prints and lays out nothing.
    void printDialogSetUpAndCancelled() {
        Preview preview(4);
        const PageRecording* before = preview.page(1);
        // min, max, from, to, range kind, collate, page range offered, selection offered, file
        QList<QList<int>> offered;
        preview->ExecPrintDialog = [&](QPrintDialog& dialog) {
            offered << QList<int>{dialog.minPage(),
                                  dialog.maxPage(),
                                  dialog.fromPage(),
                                  dialog.toPage(),
                                  int(dialog.printRange()),
                                  dialog.printer()->collateCopies(),
                                  dialog.testOption(QAbstractPrintDialog::PrintPageRange),
                                  dialog.testOption(QAbstractPrintDialog::PrintSelection),
                                  dialog.testOption(QAbstractPrintDialog::PrintToFile)};
            return int(QDialog::Rejected);
        };
        preview.click(preview->BitBtnPrintOut);
        preview.click(preview->BitBtnPrintOut);
        const QList<int> expected{1, 4, 1, 4, QAbstractPrintDialog::AllPages, 1, 1, 0, 0};
        QCOMPARE(offered, QList<QList<int>>({expected, expected}));
        QCOMPARE(preview.page(1), before);
        QVERIFY(errors.isEmpty());
    }

    // Confirming unchanged lays out again and prints every page as one job.
    void printAllPagesAfterANewLayout() {
        REQUIRE_CUPS();
        Preview preview(3);
        const PageRecording* before = preview.page(1);
        const auto jobs = cups_test::jobIds();
        preview->ExecPrintDialog = [](QPrintDialog&) { return int(QDialog::Accepted); };
        preview.click(preview->BitBtnPrintOut);
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
        QVERIFY(preview.page(1) != before); // laid out again before printing
        const int job = newJob(jobs);
        QVERIFY(job > 0);
        QVERIFY(cups_test::waitIdle());
        QCOMPARE(cups_test::jobAttributes(job).name, QStringLiteral("Input/OutPut DATA"));
        QCOMPARE(cups_test::pdfPageCount(cups_test::spoolFile(job)), 3);
    }

    // Page numbers 2 to 2 and two copies: one page with the second page's text, where the
    // preview's PDF output has it; the kind stays "page numbers" for the next print.
    void printAPageRangeWithCopies() {
        REQUIRE_CUPS();
        Preview preview(3);
        QTemporaryDir dir;
        QString suggestion;
        preview->ChoosePdfFile = [&](QWidget*, const QString& suggested) {
            suggestion = suggested;
            return dir.filePath("preview.pdf");
        };
        preview.click(preview->BitBtnPdfOut);
        QCOMPARE(suggestion, QStringLiteral("/data/report.pdf"));
        QCOMPARE(cups_test::pdfPageCount(dir.filePath("preview.pdf")), 3);
        const auto shown = cups_test::words(dir.filePath("preview.pdf"));

        const auto jobs = cups_test::jobIds();
        preview->ExecPrintDialog = [](QPrintDialog& dialog) {
            dialog.setPrintRange(QAbstractPrintDialog::PageRange);
            dialog.setFromTo(2, 2);
            dialog.printer()->setCopyCount(2);
            return int(QDialog::Accepted);
        };
        preview.click(preview->BitBtnPrintOut);
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
        const int job = newJob(jobs);
        QVERIFY(job > 0);
        QVERIFY(cups_test::waitIdle());
        QCOMPARE(cups_test::jobAttributes(job).copies, 2);
        const QString sent = cups_test::spoolFile(job);
        QCOMPARE(cups_test::pdfPageCount(sent), 1);
        const auto words = cups_test::words(sent);
        const cups_test::Word* two = cups_test::findWord(words, QStringLiteral("2"));
        QVERIFY(two);
        const cups_test::Word* shownTwo = nullptr;
        for (const cups_test::Word& w : shown)
            if (w.page == 1 && w.text == QStringLiteral("2"))
                shownTwo = &w;
        QVERIFY(shownTwo);
        QVERIFY(qAbs(two->xMin - shownTwo->xMin) < 0.5 && qAbs(two->yMin - shownTwo->yMin) < 0.5);

        int kind = -1;
        preview->ExecPrintDialog = [&](QPrintDialog& dialog) {
            kind = dialog.printRange();
            return int(QDialog::Rejected);
        };
        preview.click(preview->BitBtnPrintOut);
        QCOMPARE(kind, int(QAbstractPrintDialog::PageRange));
        // A new window starts with all pages.
        Preview next(1);
        next->ExecPrintDialog = preview->ExecPrintDialog;
        next.click(next->BitBtnPrintOut);
        QCOMPARE(kind, int(QAbstractPrintDialog::AllPages));
    }

    // "Current page" is offered and prints the page shown, as laid out for the printer.
    void printTheCurrentPage() {
        REQUIRE_CUPS();
        Preview preview(3);
        preview->CurrentPage = 2;
        preview->ShowPage();
        const auto jobs = cups_test::jobIds();
        bool offered = false;
        preview->ExecPrintDialog = [&](QPrintDialog& dialog) {
            offered = dialog.testOption(QAbstractPrintDialog::PrintCurrentPage);
            dialog.setPrintRange(QAbstractPrintDialog::CurrentPage);
            return int(QDialog::Accepted);
        };
        preview.click(preview->BitBtnPrintOut);
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
        QVERIFY(offered);
        const int job = newJob(jobs);
        QVERIFY(job > 0);
        QVERIFY(cups_test::waitIdle());
        const QString sent = cups_test::spoolFile(job);
        QCOMPARE(cups_test::pdfPageCount(sent), 1);
        QVERIFY(cups_test::findWord(cups_test::words(sent), QStringLiteral("2")));
        QVERIFY(!cups_test::findWord(cups_test::words(sent), QStringLiteral("3")));
    }

    // A range beyond the page count: the page store's error in the error box, no job, the
    // window open with its new layout.
    void rangeBeyondThePageCountPrintsNothing() {
        REQUIRE_CUPS();
        Preview preview(3);
        const auto jobs = cups_test::jobIds();
        preview->ExecPrintDialog = [](QPrintDialog& dialog) {
            dialog.setPrintRange(QAbstractPrintDialog::PageRange);
            dialog.setFromTo(2, 5);
            return int(QDialog::Accepted);
        };
        preview.printClickThatFails();
        QCOMPARE(errors, QStringList{QString::fromUtf8(pages_errors::GetPageOutOfRange)});
        QVERIFY(cups_test::waitIdle());
        QCOMPARE(newJob(jobs), 0);
        QVERIFY(preview->isVisible());
        QCOMPARE(preview->PrintPreview1.PageCount(), 3);
    }

    // The real print dialog, accepted as a user would press its print button.
    void realPrintDialogAccepted() {
        REQUIRE_CUPS();
        Preview preview(2);
        const auto jobs = cups_test::jobIds();
        bool seen = false;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] {
            if (auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
                seen = true;
                dialog->accept();
            }
        });
        timer.start(50);
        preview.click(preview->BitBtnPrintOut);
        timer.stop();
        QVERIFY(seen);
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
        const int job = newJob(jobs);
        QVERIFY(job > 0);
        QVERIFY(cups_test::waitIdle());
        QCOMPARE(cups_test::pdfPageCount(cups_test::spoolFile(job)), 2);
    }

    // The real dialog's page field: a range, a list, and odd or even pages of a range are
    // exactly the pages printed, in page order, as one job; the scheduler is not asked to
    // choose again among them.
    void realPrintDialogPageList_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("pageSet"); // the dialog's page set: all, odd, even
        QTest::addColumn<QList<int>>("printed");
        QTest::newRow("range") << "2-4" << 0 << QList<int>{2, 3, 4};
        QTest::newRow("two pages") << "3,5" << 0 << QList<int>{3, 5};
        QTest::newRow("list out of order") << "7,1,3,5-6" << 0 << QList<int>{1, 3, 5, 6, 7};
        QTest::newRow("odd from an even page") << "2-7" << 1 << QList<int>{3, 5, 7};
        QTest::newRow("even from an even page") << "2-7" << 2 << QList<int>{2, 4, 6};
        QTest::newRow("odd from an odd page") << "3-6" << 1 << QList<int>{3, 5};
    }
    void realPrintDialogPageList() {
        REQUIRE_CUPS();
        QFETCH(QString, typed);
        QFETCH(int, pageSet);
        QFETCH(QList<int>, printed);
        Preview preview(7);
        const auto jobs = cups_test::jobIds();
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            timer.stop();
            dialog->findChild<QRadioButton*>(QStringLiteral("pagesRadioButton"))->setChecked(true);
            dialog->findChild<QLineEdit*>(QStringLiteral("pagesLineEdit"))->setText(typed);
            dialog->findChild<QComboBox*>(QStringLiteral("pageSetCombo"))->setCurrentIndex(pageSet);
            dialog->accept();
        });
        timer.start(50);
        preview.click(preview->BitBtnPrintOut);
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
        const int job = newJob(jobs);
        QVERIFY(job > 0);
        QVERIFY(cups_test::waitIdle());
        QVERIFY(!cups_test::jobAttributes(job).choosesPages);
        QList<int> pages;
        static const QRegularExpression pageText(QStringLiteral("Page text (\\d+)"));
        auto it =
            pageText.globalMatch(cups_test::output("pdftotext", {cups_test::spoolFile(job), "-"}));
        while (it.hasNext())
            pages << it.next().captured(1).toInt();
        QCOMPARE(pages, printed);
    }

    // The PDF button: cancelled chooser or cancelled progress write nothing.
    void pdfOutputCancelled() {
        Preview preview(3);
        QTemporaryDir dir;
        const QString out = dir.filePath("out.pdf");
        preview->ChoosePdfFile = [](QWidget*, const QString&) { return QString(); };
        preview.click(preview->BitBtnPdfOut);
        preview->ChoosePdfFile = [&](QWidget*, const QString&) {
            // The progress window's cancel button, pressed as soon as it shows.
            QTimer::singleShot(0, [] {
                if (auto* progress =
                        qobject_cast<TFormPrintProgress*>(QApplication::activeModalWidget()))
                    progress->ButtonCancel->click();
            });
            return out;
        };
        preview.click(preview->BitBtnPdfOut);
        QVERIFY(errors.isEmpty());
        QVERIFY(!QFile::exists(out));
        QVERIFY(QDir(dir.path()).isEmpty());
    }
};

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    Application app(argc, argv);
    app.ReportError = [](const QString& message) { errors << message; };
    TestFormPreViewPrint test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_FormPreViewPrint.moc"
