// The output settings dialog driven through its controls: what it shows, what its preview
// button stores (and in which form), what cancel and the close box keep, the colour dialog,
// the pen-width arrows, and that no text is cut off under the installed fonts.

#include <QAbstractButton>
#include <QColorDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include "document/OutputSettings.h"
#include "platform/FontSubstitution.h"
#include "support/ModalWatcher.h"
#include "support/TextFit.h"
#include "ui/FormRegDatInjiSettei.h"
#include "ui/RangeUpDown.h"

class TestFormRegDatInjiSettei : public QObject {
    Q_OBJECT

    static void click(QWidget* widget) {
        QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(5, 5));
    }

private slots:
    void initTestCase() { font_substitution::install(); }
    void init() { resetOutputSettings(); }

    void windowAndRows() {
        TFormRegDatInjiSettei dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("印字出力設定"));
        QCOMPARE(dialog.size(), QSize(657, 821));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize()); // fixed border
        QCOMPARE(dialog.BitBtnPreView->geometry(), QRect(160, 24, 89, 25));
        QCOMPARE(dialog.BitBtnCancel->text(), QStringLiteral("キャンセル"));
        QCOMPARE(dialog.BitBtnHelp->text(), QStringLiteral("ヘルプ"));
        QVERIFY(!dialog.BitBtnHelp->icon().isNull());
        QCOMPARE(dialog.PageControl1->count(), 1);
        QCOMPARE(dialog.PageControl1->tabText(0), QStringLiteral("印字設定(マージン他)"));
        QCOMPARE(dialog.PageControl1->geometry(), QRect(40, 72, 577, 713));

        // Each row: a 473 x 30 panel at left 48 on the sheet; the controls at x 208 / 328.
        const std::pair<QWidget*, int> rows[] = {
            {dialog.RadioButton13, 18},  {dialog.RadioButton5, 48}, {dialog.RadioButton1, 78},
            {dialog.RadioButton15, 138}, {dialog.Edit1, 188},       {dialog.Edit2, 234},
            {dialog.Edit3, 264},         {dialog.Edit4, 306},       {dialog.Edit5, 336},
            {dialog.Edit6, 366},         {dialog.Edit7, 396},       {dialog.EditSen, 426},
        };
        for (const auto& [control, top] : rows) {
            QWidget* panel = control->parentWidget();
            QCOMPARE(panel->parentWidget(), dialog.TabSheet2);
            QCOMPARE(panel->geometry(), QRect(48, top, 473, 30));
            QCOMPARE(control->x(), 208);
        }
        QCOMPARE(dialog.RadioButton14->x(), 328);
        QCOMPARE(dialog.Edit1->width(), 50);
        QCOMPARE(dialog.EditSen->width(), 33);
        QVERIFY(dialog.EditSen->isReadOnly());
        QCOMPARE(dialog.PanelSotoIro->geometry(), QRect(360, 10, 65, 11));

        // Labels keep their ideographic space and leading blanks; notes are 11 pixels, the
        // four notes below the rows blue.
        QStringList labels, blueNotes;
        for (QLabel* label : dialog.TabSheet2->findChildren<QLabel*>()) {
            labels << label->text();
            if (label->palette().color(QPalette::WindowText) == QColor(0, 0, 255)) {
                blueNotes << label->text();
                QCOMPARE(label->font().pixelSize(), 11);
            }
        }
        QVERIFY(labels.contains(QStringLiteral("   ページ上端のマージン(mm)　：")));
        QVERIFY(labels.contains(QStringLiteral("  外枠の太さ　：")));
        QVERIFY(labels.contains(QStringLiteral("(-1のとき数値抜きで枠のみ出力)")));
        QCOMPARE(blueNotes.size(), 4);
        QVERIFY(blueNotes.contains(QStringLiteral("注）プレビュー内の点線の枠線は印刷可能領域（プリ"
                                                  "ンタによる）を示し、印字されません。")));
    }

    // Nothing is cut off at the fixed positions under the fonts installed here.
    void noTextIsCutOff() {
        TFormRegDatInjiSettei dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QStringList cut = text_fit::cutTexts(&dialog);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char('\n'))));
    }

    void showsTheSettings() {
        OutputSettings.ShowPrintableArea = 1;
        OutputSettings.DrawOuterFrame = 2; // a flag counts only when it is 1
        OutputSettings.DrawPageNumber = 1;
        OutputSettings.DrawTableSideLines = 0;
        OutputSettings.PageNumberStart = -1;
        OutputSettings.FrameRightMarginMm = 123;
        OutputSettings.FrameLineWidthText = "7";
        OutputSettings.FrameColor = 0x00336699; // blue 0x33, green 0x66, red 0x99
        TFormRegDatInjiSettei dialog;
        dialog.show();
        QVERIFY(dialog.RadioButton13->isChecked() && !dialog.RadioButton14->isChecked());
        QVERIFY(dialog.RadioButton6->isChecked() && !dialog.RadioButton5->isChecked());
        QVERIFY(dialog.RadioButton1->isChecked());
        QVERIFY(dialog.RadioButton16->isChecked());
        QCOMPARE(dialog.Edit1->text(), QStringLiteral("-1"));
        QCOMPARE(dialog.Edit2->text(), QStringLiteral("5"));
        QCOMPARE(dialog.Edit7->text(), QStringLiteral("123"));
        QCOMPARE(dialog.EditSen->text(), QStringLiteral("7"));
        QCOMPARE(dialog.swatchColour(), QColor(0x99, 0x66, 0x33));
    }

    void storesWithFixedValues_data() {
        QTest::addColumn<int>("row"); // 0 .. 6: Edit1 .. Edit7
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("stored");
        const int fixed[] = {1, 5, 10, 20, 20, 15, 10};
        for (int row = 0; row < 7; ++row) {
            const QByteArray r = "Edit" + QByteArray::number(row + 1);
            QTest::newRow(r + " empty") << row << QString() << fixed[row];
            QTest::newRow(r + " 12.5") << row << QStringLiteral("12.5") << fixed[row];
        }
        QTest::newRow("blanks and sign") << 1 << QStringLiteral("  -7") << -7;
        QTest::newRow("dollar hex") << 2 << QStringLiteral("$1F") << 31;
        QTest::newRow("0x hex") << 3 << QStringLiteral("0x10") << 16;
        QTest::newRow("beyond 32 bits") << 4 << QStringLiteral("2147483648") << 20;
        QTest::newRow("trailing text") << 5 << QStringLiteral("12mm") << 15;
        QTest::newRow("larger than the sheet") << 6 << QStringLiteral("9999") << 9999;
        QTest::newRow("page number 0") << 0 << QStringLiteral("0") << 0;
        // As a Japanese input method types them by default.
        QTest::newRow("full-width minus") << 1 << u"－７"_qs << -7;
        QTest::newRow("full-width, ideographic blank") << 6 << u"\u3000１２"_qs << 12;
        QTest::newRow("full-width fraction") << 3 << u"１２．５"_qs << 20;
    }
    void storesWithFixedValues() {
        QFETCH(int, row);
        QFETCH(QString, text);
        QFETCH(int, stored);
        TFormRegDatInjiSettei dialog;
        dialog.show();
        QLineEdit* edits[] = {dialog.Edit1, dialog.Edit2, dialog.Edit3, dialog.Edit4,
                              dialog.Edit5, dialog.Edit6, dialog.Edit7};
        edits[row]->setText(text);
        click(dialog.BitBtnPreView);
        QCOMPARE(dialog.result(), TFormRegDatInjiSettei::ModalResultYes);
        QVERIFY(!dialog.isVisible());
        const std::int32_t fields[] = {
            OutputSettings.PageNumberStart,     OutputSettings.BodyTopMarginMm,
            OutputSettings.BodyLeftMarginMm,    OutputSettings.FrameTopMarginMm,
            OutputSettings.FrameBottomMarginMm, OutputSettings.FrameLeftMarginMm,
            OutputSettings.FrameRightMarginMm};
        QCOMPARE(fields[row], stored);
        QCOMPARE(edits[row]->text(), text); // the box is not corrected
        // The other rows keep their values.
        const TOutputSettings defaults;
        const std::int32_t defaultFields[] = {
            defaults.PageNumberStart,   defaults.BodyTopMarginMm,     defaults.BodyLeftMarginMm,
            defaults.FrameTopMarginMm,  defaults.FrameBottomMarginMm, defaults.FrameLeftMarginMm,
            defaults.FrameRightMarginMm};
        for (int i = 0; i < 7; ++i)
            if (i != row)
                QCOMPARE(fields[i], defaultFields[i]);
    }

    void storesFlagsColourAndPenWidth() {
        OutputSettings.LinePitchFactor = 1.5; // no control: left as it is
        OutputSettings.BitmapDrawType = 2;
        TFormRegDatInjiSettei dialog;
        ModalWatcher colours([](QWidget* modal) {
            if (auto* chooser = qobject_cast<QColorDialog*>(modal)) {
                chooser->setCurrentColor(QColor(0x12, 0x34, 0x56));
                chooser->accept();
            }
        });
        dialog.show();
        click(dialog.RadioButton13);
        click(dialog.RadioButton5);
        click(dialog.RadioButton1);
        click(dialog.RadioButton16);
        click(dialog.PanelSotoIro);
        QCOMPARE(colours.seen.size(), 1);
        QCOMPARE(dialog.swatchColour(), QColor(0x12, 0x34, 0x56));
        QCOMPARE(OutputSettings.FrameColor, 0u); // not before the preview button
        click(dialog.BitBtnPreView);
        QCOMPARE(OutputSettings.ShowPrintableArea, 1);
        QCOMPARE(OutputSettings.DrawOuterFrame, 1);
        QCOMPARE(OutputSettings.DrawPageNumber, 1);
        QCOMPARE(OutputSettings.DrawTableSideLines, 0);
        QCOMPARE(OutputSettings.FrameColor, 0x00563412u);
        QCOMPARE(OutputSettings.LinePitchFactor, 1.5);
        QCOMPARE(OutputSettings.BitmapDrawType, 2);
    }

    void penWidthArrowsStayWithin1To30() {
        OutputSettings.FrameLineWidthText = "29";
        TFormRegDatInjiSettei dialog;
        dialog.show();
        for (int i = 0; i < 3; ++i)
            dialog.UpDown4->upButton()->click();
        QCOMPARE(dialog.EditSen->text(), QStringLiteral("30"));
        QTest::keyClicks(dialog.EditSen, QStringLiteral("5")); // read-only: typing does nothing
        QCOMPARE(dialog.EditSen->text(), QStringLiteral("30"));
        click(dialog.BitBtnPreView);
        QCOMPARE(OutputSettings.FrameLineWidthText.bytes(), QByteArray("30"));

        OutputSettings.FrameLineWidthText = "x"; // only a command-line setting can hold this
        TFormRegDatInjiSettei again;
        again.show();
        QCOMPARE(again.EditSen->text(), QStringLiteral("x"));
        again.UpDown4->downButton()->click();
        QCOMPARE(again.EditSen->text(), QStringLiteral("1"));
    }

    // Cancel and the close box store nothing, also not a colour already chosen.
    void cancelAndCloseBoxStoreNothing_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("キャンセル") << false;
        QTest::newRow("close box") << true;
    }
    void cancelAndCloseBoxStoreNothing() {
        QFETCH(bool, closeBox);
        TFormRegDatInjiSettei dialog;
        ModalWatcher colours([](QWidget* modal) {
            if (auto* chooser = qobject_cast<QColorDialog*>(modal)) {
                chooser->setCurrentColor(Qt::red);
                chooser->accept();
            }
        });
        dialog.show();
        click(dialog.PanelSotoIro);
        QCOMPARE(dialog.swatchColour(), QColor(Qt::red));
        click(dialog.RadioButton5);
        dialog.Edit4->clear();
        if (closeBox)
            dialog.close();
        else
            click(dialog.BitBtnCancel);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
        const TOutputSettings defaults;
        QCOMPARE(OutputSettings.FrameColor, defaults.FrameColor);
        QCOMPARE(OutputSettings.DrawOuterFrame, defaults.DrawOuterFrame);
        QCOMPARE(OutputSettings.FrameTopMarginMm, defaults.FrameTopMarginMm);
    }

    void colourDialogCancelledKeepsTheSwatch() {
        OutputSettings.FrameColor = 0x000000FF; // red
        TFormRegDatInjiSettei dialog;
        ModalWatcher colours([](QWidget* modal) {
            if (auto* chooser = qobject_cast<QColorDialog*>(modal)) {
                QCOMPARE(chooser->currentColor(), QColor(Qt::red)); // preset to the swatch
                chooser->setCurrentColor(Qt::green);
            }
        }); // then the watcher cancels it
        dialog.show();
        click(dialog.PanelSotoIro);
        QCOMPARE(colours.seen.size(), 1);
        QCOMPARE(dialog.swatchColour(), QColor(Qt::red));
    }
};

QTEST_MAIN(TestFormRegDatInjiSettei)
#include "tst_FormRegDatInjiSettei.moc"
