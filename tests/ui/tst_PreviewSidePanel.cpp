// The preview's side panel driven as a user drives it: F9 and the toolbar button, the outline
// leading to pages and following them, the page pictures drawn as they come into view.

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

#include "document/OutputSettings.h"
#include "platform/Cp932.h"
#include "platform/FontSubstitution.h"
#include "ui/FormPreView.h"
#include "ui/OutlineTree.h"
#include "ui/PreviewSidePanel.h"
#include "ui/ThumbnailList.h"

namespace {

// Chapters of three pages each with a section on each chapter's second page: chapter c
// starts on page 3c - 2.
QByteArrayList chapters(int count) {
    QByteArrayList lines;
    for (int c = 1; c <= count; ++c) {
        if (c > 1)
            lines << "<Page-End>";
        lines << "<Font1>" << cp932::encode(QStringLiteral("%1. 章").arg(c)) << "<Font3>"
              << "text"
              << "<Page-End>"
              << "<Title-Start>" << cp932::encode(QStringLiteral("%1.1 節").arg(c)) << "<Title-End>"
              << "text"
              << "<Data-End>"
              << "<Page-End>"
              << "text";
    }
    return lines;
}

struct Preview {
    QByteArrayList lines;
    std::unique_ptr<TFormPreView> window = std::make_unique<TFormPreView>();

    explicit Preview(QByteArrayList text) : lines(std::move(text)) {
        window->Lines = &lines;
        window->show();
        window->activateWindow();
        (void)QTest::qWaitForWindowActive(window.get());
    }
    TFormPreView* operator->() { return window.get(); }
    PreviewSidePanel& panel() { return *window->SidePanel; }
    QTreeWidget& tree() { return *panel().outline()->tree(); }
    ThumbnailList& list() { return *panel().thumbnails(); }
    void pressF9() {
        QWidget* target = window->focusWidget() ? window->focusWidget() : window.get();
        QTest::keyClick(target, Qt::Key_F9);
    }
    // Clicks the middle of an item's row in a view.
    static void click(QAbstractItemView& view, const QModelIndex& index) {
        QVERIFY(index.isValid());
        view.scrollTo(index);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(index).center());
    }
    QString selectedLabel() {
        const QList<QTreeWidgetItem*> items = tree().selectedItems();
        return items.size() == 1 ? items.front()->text(0) : QString();
    }
};

} // namespace

class TestPreviewSidePanel : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { font_substitution::install(); }
    void init() { resetOutputSettings(); }

    void hiddenAtFirstThenF9AndTheButtonShowAndHideIt() {
        Preview p(chapters(2));
        QVERIFY(p.panel().isHidden());
        QVERIFY(!p.panel().button()->isChecked());
        p.pressF9();
        QVERIFY(p.panel().isVisible());
        QVERIFY(p.panel().button()->isChecked());
        QVERIFY(p.panel().geometry().right() < p->ScrollBox1->x()); // left of the page area
        p.panel().button()->click();
        QVERIFY(p.panel().isHidden());
        p.pressF9();
        QVERIFY(p.panel().isVisible());
    }

    void shownStateAndWidthLastForTheNextWindow() {
        {
            Preview p(chapters(2));
            p.pressF9();
            auto* splitter = qobject_cast<QSplitter*>(p.panel().parentWidget());
            QVERIFY(splitter);
            splitter->setSizes({260, splitter->width() - 260});
            emit splitter->splitterMoved(260, 1);
        }
        Preview next(chapters(2));
        QVERIFY(next.panel().isVisible());
        QTRY_COMPARE(next.panel().width(), 260);
    }

    void anOutlineEntryLeadsToItsPageByClickOrEnter() {
        Preview p(chapters(3));
        p.pressF9();
        QCOMPARE(p.tree().topLevelItemCount(), 3);
        QTreeWidgetItem* section = p.tree().topLevelItem(1)->child(0);
        QCOMPARE(section->text(0), QStringLiteral("2.1 節"));
        QCOMPARE(section->text(1), QStringLiteral("5"));
        Preview::click(p.tree(), p.tree().indexFromItem(section));
        QCOMPARE(p->CurrentPage, 5);
        QCOMPARE(p->EditBoxPage->text(), QStringLiteral("5"));

        p.tree().setFocus();
        p.tree().setCurrentItem(p.tree().topLevelItem(2));
        QCOMPARE(p->CurrentPage, 5); // moving the selection alone goes nowhere
        QTest::keyClick(&p.tree(), Qt::Key_Return);
        QCOMPARE(p->CurrentPage, 7);
    }

    void theEntryOfThePageShownIsSelectedAsPagesChange() {
        Preview p(chapters(3));
        p.pressF9();
        QCOMPARE(p.selectedLabel(), QStringLiteral("1. 章"));
        p->BitBtnNextPageClick(); // page 2: its section
        QCOMPARE(p.selectedLabel(), QStringLiteral("1.1 節"));
        p->BitBtnNextPageClick(); // page 3: no entry of its own
        QCOMPARE(p.selectedLabel(), QStringLiteral("1.1 節"));
        p->BitBtnBottomPageClick();
        QCOMPARE(p.selectedLabel(), QStringLiteral("3.1 節"));
        p->BitBtnTopPageClick();
        QCOMPARE(p.selectedLabel(), QStringLiteral("1. 章"));
    }

    void aReportWithoutHeadingsSaysSo() {
        Preview p({"text", "<Page-End>", "more"});
        p.pressF9();
        QVERIFY(p.panel().outline()->emptyNote()->isVisible());
        QVERIFY(!p.tree().isVisible());
        QCOMPARE(p.panel().outline()->emptyNote()->text(), QStringLiteral("目次はありません"));
    }

    void aNewLayoutRefreshesBothTabs() {
        Preview p(chapters(2));
        p.pressF9();
        QCOMPARE(p.tree().topLevelItemCount(), 2);
        p.lines = chapters(4);
        p->LayoutAgain();
        QCOMPARE(p.tree().topLevelItemCount(), 4);
        QCOMPARE(p.list().model()->rowCount(), p->PrintPreview1.PageCount());
        // Hidden during a layout, the panel takes the pages when it is shown again.
        p.pressF9();
        p.lines = chapters(1);
        p->LayoutAgain();
        p.pressF9();
        QCOMPARE(p.tree().topLevelItemCount(), 1);
        QCOMPARE(p.list().model()->rowCount(), 3);
    }

    void picturesAreDrawnForRowsOnScreenOnlyAndAClickShowsThePage() {
        Preview p(chapters(40)); // 120 pages
        p.pressF9();
        p.panel().tabs()->setCurrentWidget(&p.list());
        ThumbnailList& list = p.list();
        ThumbnailModel& model = list.thumbnails();
        QCOMPARE(model.rowCount(), 120);
        QTRY_VERIFY(!list.drawing());
        QVERIFY(model.hasPicture(0));
        QVERIFY(!model.hasPicture(60));
        QVERIFY(!model.hasPicture(119));

        list.verticalScrollBar()->setValue(list.verticalScrollBar()->maximum());
        QTRY_VERIFY(model.hasPicture(119));
        QTRY_VERIFY(!list.drawing());
        QVERIFY(!model.hasPicture(60));
        const QImage picture =
            model.data(model.index(119), Qt::DecorationRole).value<QPixmap>().toImage();
        QCOMPARE(picture.size(), model.pictureSize());
        QVERIFY(picture.pixel(1, 1) != picture.pixel(picture.width() - 2, picture.height() - 2));

        Preview::click(list, model.index(117));
        QCOMPARE(p->CurrentPage, 118);
        QCOMPARE(list.currentIndex().row(), 117);
        p->BitBtnTopPageClick();
        QCOMPARE(list.currentIndex().row(), 0);
        QTRY_VERIFY(model.hasPicture(0));
    }

    // Pictures are drawn on a worker: one still being drawn when a new layout drops the pages
    // is not shown, and every row ends with the picture of its new page.
    void aLayoutWhilePicturesAreDrawnShowsOnlyTheNewPages() {
        Preview p(chapters(40));
        p.pressF9();
        p.panel().tabs()->setCurrentWidget(&p.list());
        ThumbnailList& list = p.list();
        QTRY_VERIFY(list.drawing());
        p.lines = chapters(2);
        p.lines.replace(1, cp932::encode(QStringLiteral("別の章")));
        p->LayoutAgain();
        ThumbnailModel& model = list.thumbnails();
        QCOMPARE(model.rowCount(), 6);
        QTRY_VERIFY(!list.drawing());
        const TPrintPreview& store = p->PrintPreview1;
        for (int row = 0; row < model.rowCount(); ++row) {
            QVERIFY(model.hasPicture(row));
            const QImage shown = model.data(model.index(row), Qt::DecorationRole)
                                     .value<QPixmap>()
                                     .toImage()
                                     .convertToFormat(QImage::Format_RGB32);
            const QImage page = ThumbnailModel::render(store.GetPage(row), store.referenceDevice())
                                    .convertToFormat(QImage::Format_RGB32);
            QCOMPARE(shown, page);
        }
    }
};

QTEST_MAIN(TestPreviewSidePanel)
#include "tst_PreviewSidePanel.moc"
