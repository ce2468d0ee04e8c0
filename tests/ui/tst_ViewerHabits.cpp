// The viewer habits of the preview window driven as a user drives them: the page menu's new
// entries, copying the text of a dragged rectangle or of the whole page, and continuous pages
// with the page box following the scroll bar and drags selecting on any page.

#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>
#include <memory>

#include "document/OutputSettings.h"
#include "platform/Cp932.h"
#include "platform/FontSubstitution.h"
#include "ui/ContinuousMode.h"
#include "ui/ContinuousPages.h"
#include "ui/FormPreView.h"
#include "ui/PageImageView.h"
#include "ui/PageSelection.h"
#include "ui/ViewerHabits.h"

namespace {

struct Preview {
    QByteArrayList lines;
    std::unique_ptr<TFormPreView> window = std::make_unique<TFormPreView>();

    explicit Preview(const QList<QStringList>& pages) {
        for (qsizetype p = 0; p < pages.size(); ++p) {
            if (p > 0)
                lines << "<Page-End>";
            for (const QString& line : pages[p])
                lines << cp932::encode(line);
        }
        window->FileName = QStringLiteral("/data/report.txt");
        window->Lines = &lines;
        window->show();
        window->activateWindow();
        (void)QTest::qWaitForWindowActive(window.get());
    }
    TFormPreView* operator->() { return window.get(); }
    ViewerHabits& habits() { return *window->findChild<ViewerHabits*>(); }
    void key(QKeySequence keys) {
        QTest::keySequence(window->focusWidget() ? window->focusWidget() : window.get(), keys);
    }
    // Picture pixels of a point of the page given in dots.
    QPoint pixelOf(QPoint dots) { return window->Image1->picture()->pageTransform().map(dots); }
};

QList<QStringList> numberedPages(int count) {
    QList<QStringList> pages;
    for (int i = 1; i <= count; ++i)
        pages.append({QStringLiteral("page %1 first").arg(i), QStringLiteral("second")});
    return pages;
}

} // namespace

class TestViewerHabits : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { font_substitution::install(); }
    void init() {
        resetOutputSettings();
        QApplication::clipboard()->clear();
    }

    // The new entries come after the menu's own and the fits, each showing its key.
    void pageMenuEntries() {
        Preview preview({{"one"}});
        QStringList entries;
        const QList<QAction*> items = preview->PopupMenu1->actions();
        for (qsizetype i = 7; i < items.size(); ++i)
            entries << (items[i]->isSeparator() ? QStringLiteral("-")
                                                : items[i]->text() + QLatin1Char('/') +
                                                      items[i]->shortcut().toString());
        QCOMPARE(entries, (QStringList{"-", "全画面表示/F11", "終了/Ctrl+Q", "-", "コピー/Ctrl+C",
                                       "-", "連続ページ表示/"}));
        QCOMPARE(items[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_1));
    }

    // Dragging over a part of the page copies the lines inside; Ctrl+A then Ctrl+C the whole
    // page, in reading order; another page lets the selection go.
    void copyText() {
        OutputSettings.PreviewZoomText = QStringLiteral("200");
        Preview preview({{"alpha line", "beta line", "gamma line"}, {"next page"}});
        const auto lineTops = [&] {
            QList<int> tops;
            const PageRecording& page = preview->PrintPreview1.GetPage(0);
            for (std::size_t i = 0; i < page.textRunCount(); ++i)
                tops << page.textRun(i).topLeft.y();
            return tops;
        }();
        QCOMPARE(lineTops.size(), 3);
        const int left = preview->PrintPreview1.GetPage(0).textRun(0).topLeft.x();
        // From above the second line's middle to below the third's, across its whole width.
        const int pitch = lineTops[1] - lineTops[0];
        const QPoint from = preview.pixelOf({left - 20, lineTops[1] + pitch / 4});
        const QPoint to = preview.pixelOf({left + 4000, lineTops[2] + pitch});
        QTest::mousePress(preview->Image1, Qt::LeftButton, {}, from);
        QTest::mouseMove(preview->Image1, (from + to) / 2);
        QTest::mouseMove(preview->Image1, to);
        QTest::mouseRelease(preview->Image1, Qt::LeftButton, {}, to);
        QVERIFY(preview.habits().selection().hasSelection());
        preview.key(QKeySequence::Copy);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("beta line\ngamma line"));

        preview.key(QKeySequence::SelectAll);
        preview.habits().copyAction()->trigger(); // the menu entry
        QCOMPARE(QApplication::clipboard()->text(),
                 QStringLiteral("alpha line\nbeta line\ngamma line"));

        // A click lets it go; so does another page.
        QTest::mouseClick(preview->Image1, Qt::LeftButton, {}, from);
        QVERIFY(!preview.habits().selection().hasSelection());
        preview.key(QKeySequence::SelectAll);
        preview->BitBtnNextPageClick();
        QVERIFY(!preview.habits().selection().hasSelection());
        // In an edit box the keys are the box's own.
        QApplication::clipboard()->setText(QStringLiteral("kept"));
        preview->EditBoxPage->setFocus();
        preview.key(QKeySequence::SelectAll);
        preview.key(QKeySequence::Copy);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("2"));
    }

    // Continuous pages: the page box follows the page at the top as the bar moves; paging and
    // zooming move the view to the page; off gives the single page back. Off at the start.
    void continuousPages() {
        Preview preview(numberedPages(6));
        ContinuousMode& mode = preview.habits().continuous();
        QVERIFY(!mode.isOn());
        QCOMPARE(preview->ScrollBox1->widget(), preview->Image1->parentWidget());
        mode.action()->trigger();
        QVERIFY(mode.isOn());
        ContinuousPages* view = mode.view();
        QCOMPARE(preview->ScrollBox1->widget(), view);
        QCOMPARE(view->pageCount(), 6);
        QCOMPARE(view->pictureSize(), preview->Image1->size());
        QVERIFY(view->topOf(2) - view->topOf(1) > view->pictureSize().height()); // a gap

        QScrollBar* bar = preview->ScrollBox1->verticalScrollBar();
        struct Step {
            int y;
            int page;
        };
        for (const Step step :
             {Step{view->topOf(3) + 10, 3}, Step{view->topOf(2) - ContinuousPages::Margin - 2, 1},
              Step{view->topOf(5), 5}, Step{0, 1}}) {
            bar->setValue(step.y);
            QTRY_COMPARE(preview->EditBoxPage->text(), QString::number(step.page));
            QCOMPARE(preview->CurrentPage, step.page);
        }
        preview->BitBtnNextPageClick();
        QTest::qWait(20); // the scroll settles
        QCOMPARE(preview->CurrentPage, 2);
        QCOMPARE(bar->value(), view->topOf(2) - ContinuousPages::Margin);
        // A new zoom keeps the page at the top.
        preview->EditBoxBairitu->setText(QStringLiteral("150"));
        preview->ApplyZoom();
        QTest::qWait(20);
        QCOMPARE(preview->CurrentPage, 2);
        QCOMPARE(view->pictureSize(), preview->Image1->size());
        QCOMPARE(view->pageAt(bar->value()), 2);

        // A drag over page 3 selects there, and stays while page 2 is the page at the top.
        const QTransform page3 = view->picture(2)->pageTransform() *
                                 QTransform::fromTranslate(ContinuousPages::Margin, view->topOf(3));
        const QPoint from = page3.map(QPoint(0, 0)) + QPoint(1, 1);
        const QPoint to = from + QPoint(view->pictureSize().width() - 10, 600);
        QTest::mousePress(view, Qt::LeftButton, {}, from);
        QTest::mouseMove(view, to);
        QTest::mouseRelease(view, Qt::LeftButton, {}, to);
        preview.key(QKeySequence::Copy);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("page 3 first\nsecond"));
        QCOMPARE(preview->CurrentPage, 2);

        mode.action()->trigger();
        QVERIFY(!mode.isOn());
        QCOMPARE(preview->ScrollBox1->widget(), preview->Image1->parentWidget());
        QCOMPARE(preview->EditBoxPage->text(), QStringLiteral("2"));
    }
};

QTEST_MAIN(TestViewerHabits)
#include "tst_ViewerHabits.moc"
