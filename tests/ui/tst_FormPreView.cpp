// The preview window driven as a user drives it: buttons, keys, the page and zoom boxes, the
// arrows, the wheel, the pop-up menu, and layouts run when it is shown and again later.

#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QtTest>
#include <algorithm>
#include <memory>

#include "app/Application.h"
#include "document/DocumentErrors.h"
#include "document/OutputSettings.h"
#include "pages/PageRecording.h"
#include "platform/Cp932.h"
#include "platform/FontSubstitution.h"
#include "support/PagedLines.h"
#include "ui/FormPreView.h"
#include "ui/PageImage.h"
#include "ui/PageImageView.h"
#include "ui/UpDownButtons.h"

namespace {

struct Preview {
    QByteArrayList lines;
    std::unique_ptr<TFormPreView> window = std::make_unique<TFormPreView>();

    explicit Preview(int pages) : lines(pagedLines(pages)) {
        window->FileName = QStringLiteral("/data/報告書.txt");
        window->Lines = &lines;
        window->show();
        window->activateWindow();
        (void)QTest::qWaitForWindowActive(window.get());
    }
    TFormPreView& operator*() { return *window; }
    TFormPreView* operator->() { return window.get(); }

    const PageRecording* shownPage() const {
        const PageImage* picture = window->Image1->picture();
        return picture ? &picture->page() : nullptr;
    }
    bool showsPage(int number) const {
        return window->CurrentPage == number && window->EditBoxPage->text().toInt() == number &&
               shownPage() == &window->PrintPreview1.GetPage(number - 1);
    }
    // A key typed into the control that has the focus, as the keyboard delivers it.
    void key(Qt::Key key, QWidget* focus = nullptr) {
        if (focus)
            focus->setFocus();
        QWidget* target = window->focusWidget() ? window->focusWidget() : window.get();
        QTest::keyClick(target, key);
    }
    // Typed and then Enter. Text beyond ASCII arrives as a Japanese input method hands it over
    // (its default mode writes full-width digits): as one commit of the composed text.
    void typeInto(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->clear();
        if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; })) {
            QTest::keyClicks(edit, text);
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(text);
            QApplication::sendEvent(edit, &commit);
        }
        QTest::keyClick(edit, Qt::Key_Return);
    }
    void wheel(int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = window->Image1->isVisible() ? static_cast<QWidget*>(window->Image1)
                                                      : window->ScrollBox1->viewport();
        QWheelEvent event(QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &event);
    }
    QScrollBar* vertical() { return window->ScrollBox1->verticalScrollBar(); }
    QScrollBar* horizontal() { return window->ScrollBox1->horizontalScrollBar(); }
    std::array<bool, 4> enabled() const {
        return {window->BitBtnTopPage->isEnabled(), window->BitBtnPreviousPage->isEnabled(),
                window->BitBtnNextPage->isEnabled(), window->BitBtnBottomPage->isEnabled()};
    }
};

QStringList errors;

} // namespace

class TestFormPreView : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void controlsAndCaption();
    void onePageDocument();
    void navigationThroughTwelvePages();
    void keysWhileTypingInThePageBox();
    void pageBox_data();
    void pageBox();
    void zoomBox_data();
    void zoomBox();
    void arrowsAndReset();
    void wheelScrollsByNotches();
    void ctrlWheelZooms();
    void scrollRules();
    void zoomCarriedToNextPreview();
    void relayoutWithFewerPagesClamps();
    void layoutErrorKeepsPagesRecorded();
    void windowWithoutLines();
    void largeZoomPaintsOnlyWhatIsExposed();
};

void TestFormPreView::initTestCase() {
    font_substitution::install();
}

void TestFormPreView::init() {
    resetOutputSettings();
    errors.clear();
}

void TestFormPreView::controlsAndCaption() {
    TFormPreView window;
    QCOMPARE(window.windowTitle(), QStringLiteral("印刷プレビュー"));
    QCOMPARE(window.DataKind, 1);
    QCOMPARE(window.BitBtnReturn->text(), QStringLiteral("戻る"));
    QCOMPARE(window.BitBtnPrintOut->text(), QStringLiteral("印字出力..."));
    QCOMPARE(window.BitBtnSettei->toolTip(), QStringLiteral("印字データ/マージン設定"));
    QCOMPARE(window.GroupBox1->title(), QStringLiteral("表示ページ切替"));
    QCOMPARE(window.GroupBox2->title(), QStringLiteral("各種設定"));
    QCOMPARE(window.GroupBox3->title(), QStringLiteral("表示倍率%"));
    QCOMPARE(window.BitBtnPreviousPage->toolTip(), QStringLiteral("前ページ(F7)"));
    QCOMPARE(window.BitBtnNextPage->toolTip(), QStringLiteral("次ページ(F8)"));
    QCOMPARE(window.BitBtn1->toolTip(), QStringLiteral("倍率リセット"));
    QCOMPARE(window.BitBtnFont->parentWidget(), window.GroupBox2);
    QCOMPARE(window.EditBoxPage->geometry(), QRect(60, 20, 27, 20));
    QCOMPARE(window.GroupBox3->geometry(), QRect(560, 12, 81, 49));
    QVERIFY(!window.BitBtnTopPage->icon().isNull());
    QVERIFY(window.LabelTotalPage->font().bold());
    QCOMPARE(window.EditBoxBairitu->text(), QStringLiteral("100"));
    const QList<QAction*> items = window.PopupMenu1->actions();
    QVERIFY(items.size() >= 7); // the viewer habits' entries follow these (tst_ViewerHabits)
    QCOMPARE(items[0]->text(), QStringLiteral("表示倍率リセット"));
    QVERIFY(items[1]->isSeparator());
    QCOMPARE(items[2]->text(), QStringLiteral("最初のページへ"));
    QCOMPARE(items[3]->text(), QStringLiteral("最後のページへ"));
    // The two fits follow the menu's own entries.
    QVERIFY(items[4]->isSeparator());
    QCOMPARE(items[5]->text(), QStringLiteral("ページ全体"));
    QCOMPARE(items[6]->text(), QStringLiteral("幅に合わせる"));

    Preview preview(1);
    QCOMPARE(preview->windowTitle(),
             QStringLiteral("印刷プレビュー  < ファイル名 ： /data/報告書.txt >"));
    QCOMPARE(preview->Zoom, 0.8);
    QCOMPARE(preview->State.PageNoFormat, QByteArray("Page  %-4d "));
    QVERIFY(!QApplication::overrideCursor()); // the hourglass is gone again
    // Image1 sits at (8, 8) in the scrolling area and has the picture's size.
    QCOMPARE(preview->Image1->pos(), QPoint(8, 8));
    QCOMPARE(preview->Image1->size(),
             PageImage::pictureSize(preview->State.PrinterInfo, 0.8, preview->logicalDpiX(),
                                    preview->logicalDpiY()));
    // A right click on the page opens the pop-up menu.
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(20, 20),
                                 preview->Image1->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(preview->Image1, &rightClick);
    QTRY_VERIFY(preview->PopupMenu1->isVisible());
    preview->PopupMenu1->close();
}

void TestFormPreView::onePageDocument() {
    Preview preview(1);
    QCOMPARE(preview->PrintPreview1.PageCount(), 1);
    QCOMPARE(preview->LabelTotalPage->text(), QStringLiteral("/1"));
    QVERIFY(preview.showsPage(1));
    QCOMPARE(preview.enabled(), (std::array<bool, 4>{false, false, false, false}));
    for (Qt::Key key :
         {Qt::Key_F7, Qt::Key_F8, Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End}) {
        preview.key(key);
        QVERIFY(preview.showsPage(1));
    }
    preview->N3->trigger();
    QVERIFY(preview.showsPage(1));
}

void TestFormPreView::navigationThroughTwelvePages() {
    Preview preview(12);
    QCOMPARE(preview->PrintPreview1.PageCount(), 12);
    QCOMPARE(preview->LabelTotalPage->text(), QStringLiteral("/12"));
    QVERIFY(preview.showsPage(1));
    QCOMPARE(preview.enabled(), (std::array<bool, 4>{false, false, true, true}));

    QTest::mouseClick(preview->BitBtnNextPage, Qt::LeftButton);
    QVERIFY(preview.showsPage(2));
    QCOMPARE(preview.enabled(), (std::array<bool, 4>{true, true, true, true}));
    preview.key(Qt::Key_F8, preview->BitBtnNextPage);
    QVERIFY(preview.showsPage(3));
    preview.key(Qt::Key_PageDown);
    QVERIFY(preview.showsPage(4));
    preview.key(Qt::Key_F7);
    QVERIFY(preview.showsPage(3));
    preview.key(Qt::Key_PageUp);
    QVERIFY(preview.showsPage(2));
    QTest::mouseClick(preview->BitBtnPreviousPage, Qt::LeftButton);
    QVERIFY(preview.showsPage(1));

    QTest::mouseClick(preview->BitBtnBottomPage, Qt::LeftButton);
    QVERIFY(preview.showsPage(12));
    QCOMPARE(preview.enabled(), (std::array<bool, 4>{true, true, false, false}));
    preview.key(Qt::Key_F8); // beyond the last page: nothing
    preview.key(Qt::Key_End);
    QVERIFY(preview.showsPage(12));
    QTest::mouseClick(preview->BitBtnTopPage, Qt::LeftButton);
    QVERIFY(preview.showsPage(1));
    preview.key(Qt::Key_F7);
    preview.key(Qt::Key_Home);
    QVERIFY(preview.showsPage(1));

    preview->N3->trigger(); // "最後のページへ"
    QVERIFY(preview.showsPage(12));
    preview->N2->trigger(); // "最初のページへ"
    QVERIFY(preview.showsPage(1));
    preview.key(Qt::Key_End);
    QVERIFY(preview.showsPage(12));
    preview.key(Qt::Key_Home);
    QVERIFY(preview.showsPage(1));
    QVERIFY(preview->isVisible());
}

void TestFormPreView::keysWhileTypingInThePageBox() {
    Preview preview(12);
    preview->EditBoxPage->setFocus();
    QTest::keyClicks(preview->EditBoxPage, "7");
    preview.key(Qt::Key_End);
    QVERIFY(preview.showsPage(12));
    preview.key(Qt::Key_Home);
    QVERIFY(preview.showsPage(1));
    preview.key(Qt::Key_F8);
    QVERIFY(preview.showsPage(2));
    // The zoom box sees the page keys as well.
    preview.key(Qt::Key_PageDown, preview->EditBoxBairitu);
    QVERIFY(preview.showsPage(3));
    QCOMPARE(preview->EditBoxBairitu->text(), QStringLiteral("100"));
}

void TestFormPreView::pageBox_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("page");
    QTest::newRow("zero") << "0" << 1;
    QTest::newRow("negative") << "-3" << 1;
    QTest::newRow("letters") << "abc" << 1;
    QTest::newRow("beyond the end") << "999" << 12;
    QTest::newRow("in range") << "7" << 7;
    QTest::newRow("blanks and sign") << "  +5" << 5;
    QTest::newRow("fraction") << "5.5" << 1;
    QTest::newRow("full-width") << u"７"_qs << 7;
    QTest::newRow("full-width beyond the end") << u"２０"_qs << 12;
    QTest::newRow("full-width minus") << u"－３"_qs << 1;
}

void TestFormPreView::pageBox() {
    QFETCH(QString, typed);
    QFETCH(int, page);
    Preview preview(12);
    preview->CurrentPage = 4;
    preview->ShowPage();
    preview.typeInto(preview->EditBoxPage, typed);
    QVERIFY(preview.showsPage(page));
    QCOMPARE(preview->EditBoxPage->text(), QString::number(page));
    QVERIFY(preview->isVisible()); // Enter pressed no button
}

void TestFormPreView::zoomBox_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("percent");
    QTest::newRow("below the minimum") << "5" << 20.0;
    QTest::newRow("letters") << "abc" << 100.0;
    QTest::newRow("beyond the arrows") << "1000" << 1000.0;
    QTest::newRow("fraction") << "62.5" << 62.5;
    QTest::newRow("exponent") << "1.5e2" << 150.0;
    QTest::newRow("empty") << "" << 100.0;
    QTest::newRow("full-width") << u"１５０"_qs << 150.0;
    QTest::newRow("full-width fraction") << u"６２．５"_qs << 62.5;
    QTest::newRow("full-width below the minimum") << u"\u3000５"_qs << 20.0;
}

void TestFormPreView::zoomBox() {
    QFETCH(QString, typed);
    QFETCH(double, percent);
    Preview preview(3);
    preview.typeInto(preview->EditBoxBairitu, typed);
    QCOMPARE(preview->Zoom, percent / 100 / 1.25);
    QCOMPARE(preview->EditBoxBairitu->text(), typed); // the box keeps the text as typed
    QCOMPARE(preview->Image1->size(),
             PageImage::pictureSize(preview->State.PrinterInfo, percent / 125,
                                    preview->logicalDpiX(), preview->logicalDpiY()));
    QVERIFY(preview->isVisible());
}

void TestFormPreView::arrowsAndReset() {
    Preview preview(2);
    QToolButton* up = preview->UpDownBairitu->upButton();
    QToolButton* down = preview->UpDownBairitu->downButton();
    QTest::mouseClick(up, Qt::LeftButton);
    QCOMPARE(preview->EditBoxBairitu->text(), QStringLiteral("110"));
    QCOMPARE(preview->Zoom, 1.1 / 1.25);
    preview.key(Qt::Key_Up, preview->EditBoxBairitu); // the arrow keys work the arrows too
    QCOMPARE(preview->EditBoxBairitu->text(), QStringLiteral("120"));
    preview.key(Qt::Key_Down);
    preview.key(Qt::Key_Down);
    QCOMPARE(preview->EditBoxBairitu->text(), QStringLiteral("100"));
    QCOMPARE(preview->Zoom, 0.8);
    for (int i = 0; i < 50; ++i)
        preview->UpDownBairitu->step(+1);
    QCOMPARE(preview->EditBoxBairitu->text(), QStringLiteral("500"));
    QCOMPARE(preview->Zoom, 4.0);
    preview.typeInto(preview->EditBoxBairitu, "25");
    QTest::mouseClick(down, Qt::LeftButton);
    QCOMPARE(preview->EditBoxBairitu->text(), QStringLiteral("20"));
    QTest::mouseClick(down, Qt::LeftButton);
    QCOMPARE(preview->EditBoxBairitu->text(), QStringLiteral("20"));
    QCOMPARE(preview->Zoom, 0.16);
    // The arrows step from the zoom in force, within their range.
    preview.typeInto(preview->EditBoxBairitu, "1000");
    QTest::mouseClick(up, Qt::LeftButton);
    QCOMPARE(preview->EditBoxBairitu->text(), QStringLiteral("500"));
    preview.typeInto(preview->EditBoxBairitu, "abc");
    QTest::mouseClick(up, Qt::LeftButton);
    QCOMPARE(preview->EditBoxBairitu->text(), QStringLiteral("110"));

    QTest::mouseClick(preview->BitBtn1, Qt::LeftButton);
    QCOMPARE(preview->EditBoxBairitu->text(), QStringLiteral("100"));
    QCOMPARE(preview->Zoom, 0.8);
    preview.typeInto(preview->EditBoxBairitu, "300");
    preview->N1->trigger(); // "表示倍率リセット"
    QCOMPARE(preview->EditBoxBairitu->text(), QStringLiteral("100"));
    QCOMPARE(preview->Zoom, 0.8);
}

void TestFormPreView::wheelScrollsByNotches() {
    Preview preview(2);
    preview.typeInto(preview->EditBoxBairitu, "300");
    QVERIFY(preview.vertical()->maximum() > 100);
    preview.wheel(-120); // one notch towards the user: down by 8 pixels
    QCOMPARE(preview.vertical()->value(), 8);
    preview.wheel(-360);
    QCOMPARE(preview.vertical()->value(), 32);
    preview.wheel(-60); // half a notch: nothing yet
    QCOMPARE(preview.vertical()->value(), 32);
    preview.wheel(-60); // the other half completes it
    QCOMPARE(preview.vertical()->value(), 40);
    preview.wheel(-40);
    preview.wheel(-40);
    preview.wheel(-80); // 160 units: one notch, 40 left over
    QCOMPARE(preview.vertical()->value(), 48);
    preview.wheel(120); // with the 40 units down still pending, not yet a notch up
    QCOMPARE(preview.vertical()->value(), 48);
    preview.wheel(40);
    QCOMPARE(preview.vertical()->value(), 40);
    preview.wheel(1200);
    QCOMPARE(preview.vertical()->value(), 0); // kept within the range

    // Wherever the focus is, the wheel scrolls the page.
    preview->EditBoxPage->setFocus();
    preview.wheel(-240);
    QCOMPARE(preview.vertical()->value(), 16);
    QVERIFY(preview.showsPage(1));
}

void TestFormPreView::ctrlWheelZooms() {
    Preview preview(2);
    preview.wheel(120, Qt::ControlModifier);
    QCOMPARE(preview->EditBoxBairitu->text(), QStringLiteral("110"));
    QCOMPARE(preview->Zoom, 1.1 / 1.25);
    preview.wheel(-360, Qt::ControlModifier);
    QCOMPARE(preview->EditBoxBairitu->text(), QStringLiteral("80"));
    preview.wheel(60, Qt::ControlModifier);
    QCOMPARE(preview->EditBoxBairitu->text(), QStringLiteral("80"));
    preview.wheel(60, Qt::ControlModifier);
    QCOMPARE(preview->EditBoxBairitu->text(), QStringLiteral("90"));
    QCOMPARE(preview.vertical()->value(), 0);
}

void TestFormPreView::scrollRules() {
    Preview preview(3);
    preview.typeInto(preview->EditBoxBairitu, "300");
    preview.vertical()->setValue(400);
    preview.horizontal()->setValue(120);
    preview.typeInto(preview->EditBoxBairitu, "250"); // zoom: the position stays
    QCOMPARE(preview.vertical()->value(), 400);
    QCOMPARE(preview.horizontal()->value(), 120);
    preview.key(Qt::Key_F8); // page: back to the top, the horizontal position stays
    QVERIFY(preview.showsPage(2));
    QCOMPARE(preview.vertical()->value(), 0);
    QCOMPARE(preview.horizontal()->value(), 120);
    preview.vertical()->setValue(300);
    preview.typeInto(preview->EditBoxPage, "2"); // Enter in the page box scrolls up even so
    QCOMPARE(preview.vertical()->value(), 0);
    preview.vertical()->setValue(300);
    preview->LayoutAgain(); // a new layout shows the page where it was
    QCOMPARE(preview.vertical()->value(), 300);
    QVERIFY(preview.showsPage(2));
}

void TestFormPreView::zoomCarriedToNextPreview() {
    {
        Preview first(1);
        QCOMPARE(first->EditBoxBairitu->text(), QStringLiteral("100"));
        first.typeInto(first->EditBoxBairitu, "150");
        QTest::mouseClick(first->BitBtnReturn, Qt::LeftButton);
        QVERIFY(!first->isVisible());
        QCOMPARE(first->result(), int(QDialog::Rejected));
    }
    QCOMPARE(OutputSettings.PreviewZoomText.bytes(), QByteArray("150"));
    {
        Preview second(1);
        QCOMPARE(second->EditBoxBairitu->text(), QStringLiteral("150"));
        QCOMPARE(second->Zoom, 1.2);
        second.typeInto(second->EditBoxBairitu, "123456789012");
        second->close(); // the title-bar close box stores the text too, cut to 8 bytes
    }
    QCOMPARE(OutputSettings.PreviewZoomText.bytes(), QByteArray("12345678"));
}

void TestFormPreView::relayoutWithFewerPagesClamps() {
    Preview preview(12);
    preview.key(Qt::Key_End);
    QVERIFY(preview.showsPage(12));
    preview.lines = pagedLines(5);
    preview->LayoutAgain();
    QCOMPARE(preview->PrintPreview1.PageCount(), 5);
    QVERIFY(preview.showsPage(5));
    QCOMPARE(preview->LabelTotalPage->text(), QStringLiteral("/5"));
    QCOMPARE(preview.enabled(), (std::array<bool, 4>{true, true, false, false}));
    preview.lines = pagedLines(8); // more pages: the page number stays
    preview->LayoutAgain();
    QVERIFY(preview.showsPage(5));
}

void TestFormPreView::layoutErrorKeepsPagesRecorded() {
    // The fraction tag on the last line but one lacks its operand lines.
    QByteArrayList broken = pagedLines(3);
    broken << "<Page-End>" << cp932::encode(QStringLiteral("<分数式>")) << "upper";
    TFormPreView window;
    window.Lines = &broken;
    window.show(); // the failure reaches the application's error box
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors[0].contains(QStringLiteral("リストのインデックスが範囲を超えています")));
    QVERIFY(window.isVisible());
    QVERIFY(!window.PrintPreview1.Printing());
    QCOMPARE(window.PrintPreview1.PageCount(), 4);
    QCOMPARE(window.CurrentPage, 1);
    QVERIFY(window.Image1->picture());
    QCOMPARE(window.LabelTotalPage->text(), QStringLiteral("/4"));

    window.CurrentPage = 4;
    window.ShowPage();
    QVERIFY_THROWS_EXCEPTION(EListIndexError, window.LayoutAgain());
    QCOMPARE(window.CurrentPage, 4);
    QCOMPARE(&window.Image1->picture()->page(), &window.PrintPreview1.GetPage(3));
    // Enter in the boxes works after a failed first layout as well.
    window.EditBoxPage->setFocus();
    window.EditBoxPage->setText("2");
    QTest::keyClick(window.EditBoxPage, Qt::Key_Return);
    QCOMPARE(window.CurrentPage, 2);
}

void TestFormPreView::windowWithoutLines() {
    OutputSettings.DecorationFontName = QStringLiteral("ＭＳ ゴシック");
    OutputSettings.DecorationFontSize = 12;
    TFormPreView window;
    window.show();
    QCOMPARE(window.State.CurFont.Name, QStringLiteral("ＭＳ ゴシック"));
    QCOMPARE(window.State.CurFont.Size, 12);
    QCOMPARE(window.PrintPreview1.PageCount(), 0);
    QCOMPARE(window.LabelTotalPage->text(), QStringLiteral("/0"));
    QVERIFY(!window.Image1->picture());
    for (Qt::Key key : {Qt::Key_F7, Qt::Key_F8, Qt::Key_Home, Qt::Key_End})
        QTest::keyClick(&window, key);
    window.N3->trigger();
    QCOMPARE(window.CurrentPage, 0);
    QVERIFY(errors.isEmpty());
}

void TestFormPreView::largeZoomPaintsOnlyWhatIsExposed() {
    Preview preview(1);
    preview.typeInto(preview->EditBoxBairitu, "5000");
    const QSize size = preview->Image1->size();
    QVERIFY(size.width() > 30000 && size.height() > 40000);
    preview.vertical()->setValue(preview.vertical()->maximum() / 2);
    QElapsedTimer timer;
    timer.start();
    const QPixmap shot = preview->ScrollBox1->viewport()->grab();
    QVERIFY(!shot.isNull());
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
}

int main(int argc, char** argv) {
    // The application object of the program, whose error box is replaced by a list here.
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    Application app(argc, argv);
    app.ReportError = [](const QString& message) { errors << message; };
    TestFormPreView test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_FormPreView.moc"
