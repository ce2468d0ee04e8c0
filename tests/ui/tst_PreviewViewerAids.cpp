// The preview window's viewer aids driven as a user drives them: the keyboard after a click on
// the page, fitting the page or its width, and the find bar across pages.

#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QWheelEvent>
#include <QtTest>
#include <memory>

#include "document/OutputSettings.h"
#include "pages/CurrentPrinter.h"
#include "pages/PageRecording.h"
#include "pages/PagesErrors.h"
#include "platform/Cp932.h"
#include "platform/FontSubstitution.h"
#include "support/ModalWatcher.h"
#include "ui/FindBar.h"
#include "ui/FormPreView.h"
#include "ui/PageImage.h"
#include "ui/PageImageView.h"
#include "ui/PreviewFind.h"
#include "ui/UpDownButtons.h"

namespace {

// Pages given as their text lines (utf-8), separated by page ends.
QByteArrayList linesOf(const QList<QStringList>& pages) {
    QByteArrayList lines;
    for (qsizetype p = 0; p < pages.size(); ++p) {
        if (p > 0)
            lines << "<Page-End>";
        for (const QString& line : pages[p])
            lines << cp932::encode(line);
    }
    return lines;
}

struct Preview {
    QByteArrayList lines;
    std::unique_ptr<TFormPreView> window = std::make_unique<TFormPreView>();

    explicit Preview(const QList<QStringList>& pages) : lines(linesOf(pages)) {
        window->FileName = QStringLiteral("/data/report.txt");
        window->Lines = &lines;
        window->show();
        window->activateWindow();
        (void)QTest::qWaitForWindowActive(window.get());
    }
    TFormPreView* operator->() { return window.get(); }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = window->focusWidget() ? window->focusWidget() : window.get();
        QTest::keyClick(target, Qt::Key(key), modifiers);
    }
    QString status() const { return window->FindBar1->Status->text(); }
};

// What the scrolling area holds at percent: the picture, Image1 at 8, 8.
QSize contentAt(TFormPreView& w, int percent) {
    return PageImage::pictureSize(w.State.PrinterInfo, percent / 125.0, w.logicalDpiX(),
                                  w.logicalDpiY()) +
           QSize(8, 8);
}

// Whether percent is the largest whole zoom at which the page (or its width, less a vertical
// scroll bar when the page is taller) fits the scrolling area as it is now.
bool isFit(TFormPreView& w, bool width, int percent) {
    const QSize viewport = w.ScrollBox1->maximumViewportSize();
    const int bar = w.ScrollBox1->verticalScrollBar()->sizeHint().width();
    const auto fits = [&](int p) {
        const QSize c = contentAt(w, p);
        if (!width)
            return c.width() <= viewport.width() && c.height() <= viewport.height();
        return c.width() <= viewport.width() - (c.height() > viewport.height() ? bar : 0);
    };
    return fits(percent) && !fits(percent + 1);
}

} // namespace

class TestPreviewViewerAids : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { font_substitution::install(); }
    void init() { resetOutputSettings(); }

    // A fresh window has the keyboard on the page: Down scrolls, Space presses no button.
    void keyboardStartsOnThePage() {
        OutputSettings.PreviewZoomText = QStringLiteral("300");
        Preview preview({{"one"}, {"two"}});
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(preview->ScrollBox1));
        preview.key(Qt::Key_Down);
        QCOMPARE(preview->ScrollBox1->verticalScrollBar()->value(),
                 preview->ScrollBox1->verticalScrollBar()->singleStep());
        preview.key(Qt::Key_Space);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QVERIFY(preview->isVisible());
    }

    // No print queue: a warning that says so and points to the PDF button, not the dialog.
    void noPrinterWarnsBeforeThePrintDialog() {
        Preview preview({{"one"}});
        bool dialogShown = false;
        preview->ExecPrintDialog = [&](QPrintDialog&) {
            dialogShown = true;
            return int(QDialog::Rejected);
        };
        ModalWatcher watcher;
        QTest::mouseClick(preview->BitBtnPrintOut, Qt::LeftButton);
        QVERIFY(!dialogShown);
        QCOMPARE(watcher.seen.size(), 1);
        QCOMPARE(watcher.seen[0].title, QStringLiteral("警告"));
        QCOMPARE(watcher.seen[0].text, QString::fromUtf8(pages_errors::NoPrinterSetUp));
        QVERIFY(watcher.seen[0].text.contains(preview->BitBtnPdfOut->text()));
    }

    void clickGivesTheKeyboardToThePage() {
        Preview preview({{"one"}, {"two"}, {"three"}});
        preview->EditBoxBairitu->setFocus();
        preview->EditBoxBairitu->setText(QStringLiteral("300"));
        preview->ApplyZoom();
        QScrollBar* vertical = preview->ScrollBox1->verticalScrollBar();
        QVERIFY(vertical->maximum() > 0);

        QTest::mouseClick(preview->Image1, Qt::LeftButton, {}, QPoint(40, 40));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(preview->ScrollBox1));
        preview.key(Qt::Key_Down);
        preview.key(Qt::Key_Down);
        QCOMPARE(vertical->value(), 2 * vertical->singleStep());
        QCOMPARE(preview->EditBoxBairitu->text(), QStringLiteral("300")); // zoom untouched
        preview.key(Qt::Key_Right);
        QVERIFY(preview->ScrollBox1->horizontalScrollBar()->value() > 0);

        // The window's page keys still work there, and turn only the page.
        preview.key(Qt::Key_PageDown);
        QCOMPARE(preview->CurrentPage, 2);
        QCOMPARE(vertical->value(), 0);
        preview.key(Qt::Key_End);
        QCOMPARE(preview->CurrentPage, 3);
        preview.key(Qt::Key_F7);
        QCOMPARE(preview->CurrentPage, 2);
        preview.key(Qt::Key_PageUp);
        QCOMPARE(preview->CurrentPage, 1);
        QCOMPARE(vertical->value(), 0);

        // In the zoom box the arrows still step the zoom.
        preview->EditBoxBairitu->setFocus();
        preview.key(Qt::Key_Up);
        QCOMPARE(preview->EditBoxBairitu->text(), QStringLiteral("310"));
    }

    void fit_data() {
        QTest::addColumn<QSize>("windowSize");
        QTest::addColumn<bool>("landscape");
        QTest::newRow("tall window, portrait") << QSize(720, 860) << false;
        QTest::newRow("tall window, landscape") << QSize(720, 860) << true;
        QTest::newRow("wide window, portrait") << QSize(1200, 600) << false;
        QTest::newRow("wide window, landscape") << QSize(1200, 600) << true;
    }
    void fit() {
        QFETCH(QSize, windowSize);
        QFETCH(bool, landscape);
        Preview preview({{"one"}, {"two"}});
        if (landscape) {
            preview->State.PrinterInfo = TPrinterInfo::forPaper(QSizeF(297, 210), 600);
            preview->PrintPreview1.setReferenceDevice(preview->State.PrinterInfo);
            preview->LayoutAgain();
            preview->activateWindow(); // the progress window had it
            QVERIFY(QTest::qWaitForWindowActive(preview.window.get()));
        }
        preview->resize(windowSize);
        QTest::qWait(20);
        const QSize viewport = preview->ScrollBox1->maximumViewportSize();
        const int bar = preview->ScrollBox1->verticalScrollBar()->sizeHint().width();

        // Whole page, by its key: the largest whole percent at which nothing scrolls.
        preview.key(Qt::Key_0, Qt::ControlModifier);
        const int page = preview->EditBoxBairitu->text().toInt();
        QCOMPARE(preview->Zoom, page / 125.0);
        QVERIFY(page >= 20);
        const QSize shown = preview->ScrollBox1->widget()->size();
        QCOMPARE(shown, contentAt(*preview.window, page));
        QVERIFY(shown.width() <= viewport.width() && shown.height() <= viewport.height());
        const QSize larger = contentAt(*preview.window, page + 1);
        QVERIFY(larger.width() > viewport.width() || larger.height() > viewport.height());
        QTRY_VERIFY(!preview->ScrollBox1->verticalScrollBar()->isVisible());
        QTRY_VERIFY(!preview->ScrollBox1->horizontalScrollBar()->isVisible());

        // Page width, from the page's menu: no sideways scrolling, the page scrolls down.
        preview->FitWidthAction->trigger();
        const int width = preview->EditBoxBairitu->text().toInt();
        const QSize wide = contentAt(*preview.window, width);
        const int room = viewport.width() - (wide.height() > viewport.height() ? bar : 0);
        QVERIFY(wide.width() <= room);
        QVERIFY(contentAt(*preview.window, width + 1).width() >
                viewport.width() -
                    (contentAt(*preview.window, width + 1).height() > viewport.height() ? bar : 0));
        QTRY_VERIFY(!preview->ScrollBox1->horizontalScrollBar()->isVisible());
        QVERIFY(width >= page);
        if (!landscape && windowSize.height() < windowSize.width())
            QVERIFY(width > page); // a portrait page in a wide window: width fit is larger

        // The fitted zoom is kept like a typed one.
        preview->reject();
        QCOMPARE(OutputSettings.PreviewZoomText.text(), QString::number(width));
    }

    void fitDiffersWithWindowAndPaper() {
        Preview preview({{"one"}});
        const auto fitted = [&](QSize size) {
            preview->resize(size);
            QTest::qWait(20);
            preview->FitPageAction->trigger();
            return preview->EditBoxBairitu->text().toInt();
        };
        const int small = fitted(QSize(720, 500));
        const int tall = fitted(QSize(720, 1000));
        QVERIFY(tall > small);
        QVERIFY(preview->FitPageAction->toolTip().contains(QStringLiteral("Ctrl+0")));
        QVERIFY(preview->FitWidthAction->toolTip().contains(QStringLiteral("Ctrl+2")));
    }

    // A fit stays in force while the window is resized: each size gets its own fitted zoom.
    void fitFollowsTheWindow_data() {
        QTest::addColumn<bool>("width");
        QTest::newRow("page (Ctrl+0)") << false;
        QTest::newRow("width (menu)") << true;
    }
    void fitFollowsTheWindow() {
        QFETCH(bool, width);
        Preview preview({{"one"}, {"two"}});
        preview->resize(720, 500);
        QTest::qWait(20);
        if (width)
            preview->FitWidthAction->trigger();
        else
            preview.key(Qt::Key_0, Qt::ControlModifier);
        int before = preview->EditBoxBairitu->text().toInt();
        for (const QSize size : {QSize(1000, 1000), QSize(800, 450), QSize(1400, 700)}) {
            preview->resize(size);
            QTest::qWait(20);
            const int now = preview->EditBoxBairitu->text().toInt();
            QVERIFY2(now != before, qPrintable(QString::number(now)));
            QVERIFY(isFit(*preview.window, width, now));
            QCOMPARE(preview->Zoom, now / 125.0);
            QCOMPARE(preview->ScrollBox1->widget()->size(), contentAt(*preview.window, now));
            before = now;
        }
    }

    // A kept fit follows the paper too: the sheet turned in the printer setup is fitted anew.
    void fitFollowsThePaper() {
        Preview preview({{"one"}});
        preview->resize(900, 700);
        QTest::qWait(20);
        preview->FitPageAction->trigger();
        const int portrait = preview->EditBoxBairitu->text().toInt();
        current_printer::get().setPageOrientation(QPageLayout::Landscape);
        preview->LayoutForPrinter();
        current_printer::replace(nullptr);
        const int landscape = preview->EditBoxBairitu->text().toInt();
        QVERIFY(landscape != portrait);
        QVERIFY(isFit(*preview.window, false, landscape));
    }

    // Setting the zoom any other way ends the fit: the next resize leaves the zoom alone.
    void zoomSetOtherwiseEndsTheFit_data() {
        QTest::addColumn<QString>("way");
        for (const char* way : {"zoom box", "arrow", "zoom reset", "Ctrl+wheel"})
            QTest::newRow(way) << QString::fromLatin1(way);
    }
    void zoomSetOtherwiseEndsTheFit() {
        QFETCH(QString, way);
        Preview preview({{"one"}, {"two"}});
        preview->resize(720, 500);
        QTest::qWait(20);
        preview.key(Qt::Key_0, Qt::ControlModifier);
        const int fitted = preview->EditBoxBairitu->text().toInt();
        if (way == "zoom box") {
            preview->EditBoxBairitu->setFocus();
            preview->EditBoxBairitu->setText(QStringLiteral("150"));
            QTest::keyClick(preview->EditBoxBairitu, Qt::Key_Return);
        } else if (way == "arrow") {
            QTest::mouseClick(preview->UpDownBairitu->upButton(), Qt::LeftButton);
        } else if (way == "zoom reset") {
            preview->BitBtn1->click();
        } else {
            QWheelEvent wheel(QPointF(5, 5), preview->Image1->mapToGlobal(QPointF(5, 5)), QPoint(),
                              QPoint(0, 120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase,
                              false);
            QApplication::sendEvent(preview->Image1, &wheel);
        }
        const QString set = preview->EditBoxBairitu->text();
        QVERIFY(set.toInt() != fitted);
        const double zoom = preview->Zoom;
        preview->resize(1000, 700);
        QTest::qWait(20);
        QCOMPARE(preview->EditBoxBairitu->text(), set);
        QCOMPARE(preview->Zoom, zoom);

        // A new fit is kept again.
        preview->FitPageAction->trigger();
        preview->resize(720, 500);
        QTest::qWait(20);
        QVERIFY(isFit(*preview.window, false, preview->EditBoxBairitu->text().toInt()));
    }

    void findAcrossPages() {
        Preview preview({{"Page one", "部材 ＣＯＬＵＭＮ ｺﾗﾑ"},
                         {"nothing"},
                         {"column コラム", "Column again"},
                         {"end"}});
        preview->BitBtnBottomPageClick();
        preview->BitBtnTopPageClick();
        preview.key(Qt::Key_F, Qt::ControlModifier);
        QVERIFY(preview->FindBar1->isVisible());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(preview->FindBar1->Edit));

        // Full-width capitals match typed small letters; the first match is on page 1.
        QTest::keyClicks(preview->FindBar1->Edit, QStringLiteral("column"));
        QCOMPARE(preview->CurrentPage, 1);
        QTRY_COMPARE(preview.status(), QStringLiteral("1 / 3 件"));
        const PageRecording& first = preview->PrintPreview1.GetPage(0);
        QCOMPARE(preview->find().marksOn(first).current.size(), 1);

        // Enter, Enter, Enter: page 3 twice, then round to page 1.
        preview.key(Qt::Key_Return);
        QCOMPARE(preview->CurrentPage, 3);
        QCOMPARE(preview.status(), QStringLiteral("2 / 3 件"));
        preview.key(Qt::Key_Enter);
        QCOMPARE(preview.status(), QStringLiteral("3 / 3 件"));
        QCOMPARE(preview->CurrentPage, 3);
        preview.key(Qt::Key_Return);
        QCOMPARE(preview->CurrentPage, 1);
        QCOMPARE(preview.status(), QStringLiteral("1 / 3 件"));
        // Shift+Enter goes back round; F3 works from the page area too.
        preview.key(Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(preview->CurrentPage, 3);
        QCOMPARE(preview.status(), QStringLiteral("3 / 3 件"));
        preview->ScrollBox1->setFocus();
        preview.key(Qt::Key_F3);
        QCOMPARE(preview->CurrentPage, 1);
        preview.key(Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(preview->CurrentPage, 3);

        // Half-width katakana find their full-width form and the other way round.
        preview.key(Qt::Key_F, Qt::ControlModifier);
        preview->FindBar1->Edit->setText(QStringLiteral("コラム")); // typed through an input method
        QTRY_COMPARE(preview.status(), QStringLiteral("2 / 2 件")); // from the page shown
        QCOMPARE(preview->CurrentPage, 3);
        preview->FindBar1->Edit->setText(QStringLiteral("ｺﾗﾑ"));
        QTRY_COMPARE(preview.status(), QStringLiteral("2 / 2 件"));
        preview.key(Qt::Key_Return);
        QCOMPARE(preview->CurrentPage, 1);

        // The mark is painted over the match on the page shown.
        const QList<QRect> marks =
            preview->find()
                .marksOn(preview->PrintPreview1.GetPage(preview->CurrentPage - 1))
                .current;
        QCOMPARE(marks.size(), 1);
        const QRect box = preview->Image1->picture()->pageTransform().mapRect(marks.front());
        const QImage shot = preview->Image1->grab().toImage();
        const QColor mark = shot.pixelColor(box.left() + 1, box.center().y());
        QVERIFY2(mark.red() > 200 && mark.blue() < 80, qPrintable(mark.name()));

        // The window's page keys work from the find box as well.
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(preview->FindBar1->Edit));
        QCOMPARE(preview->CurrentPage, 1);
        preview.key(Qt::Key_F8);
        QCOMPARE(preview->CurrentPage, 2);
        preview.key(Qt::Key_F7);
        QCOMPARE(preview->CurrentPage, 1);

        // A text found nowhere says so and leaves the page.
        const int page = preview->CurrentPage;
        preview->FindBar1->Edit->setText(QStringLiteral("梁せい"));
        QTRY_COMPARE(preview.status(), FindBar::notFoundText());
        QCOMPARE(preview->CurrentPage, page);
        preview.key(Qt::Key_Return);
        QCOMPARE(preview->CurrentPage, page);

        // Esc closes the bar, not the window; the marks go with it.
        preview->FindBar1->Edit->setText(QStringLiteral("column"));
        preview.key(Qt::Key_Escape);
        QVERIFY(!preview->FindBar1->isVisible());
        QVERIFY(preview->isVisible());
        QVERIFY(preview->find()
                    .marksOn(preview->PrintPreview1.GetPage(preview->CurrentPage - 1))
                    .current.isEmpty());
    }

    void findFollowsANewLayout() {
        Preview preview({{"alpha"}, {"beta"}, {"beta"}});
        preview.key(Qt::Key_F, Qt::ControlModifier);
        QTest::keyClicks(preview->FindBar1->Edit, QStringLiteral("beta"));
        QTRY_COMPARE(preview.status(), QStringLiteral("1 / 2 件"));
        QCOMPARE(preview->CurrentPage, 2);
        preview.lines = linesOf({{"beta"}, {"x"}, {"beta"}, {"beta"}});
        preview->LayoutAgain();
        QTRY_COMPARE(preview.status(), QStringLiteral("2 / 3 件"));
        QCOMPARE(preview->CurrentPage, 2); // the page stays; the next match is on page 3
    }
};

QTEST_MAIN(TestPreviewViewerAids)
#include "tst_PreviewViewerAids.moc"
