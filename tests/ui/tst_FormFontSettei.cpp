// The font settings dialog driven through its buttons and the real font dialogs: what the
// choosers start from, what "戻る" stores (face names cut to 30 bytes of code page 932),
// what cancel and the close box keep, and the limits of the font dialog.

#include <QFontDatabase>
#include <QFontDialog>
#include <QIntValidator>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QtTest>

#include "document/OutputSettings.h"
#include "platform/Cp932.h"
#include "platform/FontSubstitution.h"
#include "support/ModalWatcher.h"
#include "support/TextFit.h"
#include "ui/FontChooser.h"
#include "ui/FormFontSettei.h"

namespace {

// The rows of a list view that the user can see.
QStringList visibleRows(const QListView* view) {
    QStringList rows;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        if (!view->isRowHidden(row))
            rows << view->model()->index(row, 0).data().toString();
    return rows;
}

bool installed(const QString& family) {
    return QFontDatabase::families().contains(family);
}

} // namespace

class TestFormFontSettei : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { font_substitution::install(); }
    void init() { resetOutputSettings(); }

    void windowAndButtons() {
        TFormFontSettei dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("フォント設定"));
        QCOMPARE(dialog.size(), QSize(453, 301));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        QCOMPARE(dialog.BitBtnOK->text(), QStringLiteral("戻る"));
        QCOMPARE(dialog.BitBtnOK->geometry(), QRect(96, 24, 75, 25));
        QCOMPARE(dialog.BitBtnCancel->geometry(), QRect(224, 24, 75, 25));
        QCOMPARE(dialog.BitBtn2->text(), QStringLiteral("データ名、ケース名のフォント（Font2）"));
        QCOMPARE(dialog.BitBtn3->geometry(), QRect(88, 192, 249, 25));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QStringList cut = text_fit::cutTexts(&dialog);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char('\n'))));
    }

    // "戻る" without opening a chooser stores the three fonts unchanged.
    void okStoresTheFontsUnchanged() {
        OutputSettings.FontName[1] = QStringLiteral("ＭＳ ゴシック");
        OutputSettings.FontSize = {12, 10, 8};
        TFormFontSettei dialog;
        dialog.show();
        QVERIFY(!dialog.FontsStored);
        QCOMPARE(dialog.FontDialog2.Font.family(), QStringLiteral("ＭＳ ゴシック"));
        QCOMPARE(dialog.FontDialog3.Font.pointSize(), 8);
        QTest::mouseClick(dialog.BitBtnOK, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(dialog.FontsStored);
        QCOMPARE(OutputSettings.FontName[0].text(), QStringLiteral("ＭＳ 明朝"));
        QCOMPARE(OutputSettings.FontName[1].text(), QStringLiteral("ＭＳ ゴシック"));
        QCOMPARE(OutputSettings.FontSize, (std::array<std::int32_t, 3>{12, 10, 8}));
    }

    // The chooser opens on the IPA face that stands in for "ＭＳ 明朝", lists only fixed-pitch
    // faces and sizes 6 .. 50; the face chosen is stored by the dialog's name for it.
    void chooserLimitsAndStoresTheChosenFace() {
        if (!installed(QStringLiteral("IPAMincho")) || !installed(QStringLiteral("IPAGothic")))
            QSKIP("the IPA fonts (fonts-ipafont-mincho, fonts-ipafont-gothic) are not installed");
        TFormFontSettei dialog;
        QStringList families, sizes;
        QString shownFamily;
        int shownSize = 0;
        int smallest = 0, largest = 0; // the size box's range
        ModalWatcher watcher([&](QWidget* modal) {
            auto* chooser = qobject_cast<QFontDialog*>(modal);
            if (!chooser)
                return;
            const auto lists =
                chooser->findChildren<QListView*>(QString(), Qt::FindDirectChildrenOnly);
            families = visibleRows(lists.value(0));
            sizes = visibleRows(lists.value(2));
            shownFamily = chooser->currentFont().family();
            shownSize = chooser->currentFont().pointSize();
            for (QLineEdit* edit : chooser->findChildren<QLineEdit*>())
                if (auto* v = qobject_cast<const QIntValidator*>(edit->validator())) {
                    smallest = v->bottom();
                    largest = v->top();
                }
            QFont chosen(QStringLiteral("IPAGothic"));
            chosen.setPointSize(14);
            chosen.setBold(true);
            chosen.setUnderline(true);
            chooser->setCurrentFont(chosen);
            chooser->accept();
        });
        dialog.show();
        QTest::mouseClick(dialog.BitBtn3, Qt::LeftButton);
        QCOMPARE(watcher.seen.size(), 1);
        QCOMPARE(shownFamily, QStringLiteral("IPAMincho"));
        QCOMPARE(shownSize, 9);
        QVERIFY(families.contains(QStringLiteral("IPAMincho")));
        QVERIFY(families.contains(QStringLiteral("IPAGothic")));
        for (const QString& proportional :
             {QStringLiteral("IPAPMincho"), QStringLiteral("IPAPGothic"),
              QStringLiteral("DejaVu Sans")})
            QVERIFY2(!families.contains(proportional), qPrintable(proportional));
        for (const QString& family : families)
            QVERIFY2(FontChooser::isOffered(family), qPrintable(family));
        QVERIFY(!sizes.isEmpty());
        for (const QString& size : sizes)
            QVERIFY2(size.toInt() >= 6 && size.toInt() <= 50, qPrintable(size));
        QCOMPARE(smallest, 6);
        QCOMPARE(largest, 50);

        // Effects are held by the chooser but only face and size are stored.
        QVERIFY(dialog.FontDialog3.Font.underline());
        QTest::mouseClick(dialog.BitBtnOK, Qt::LeftButton);
        QCOMPARE(OutputSettings.FontName[2].text(), QStringLiteral("IPAGothic"));
        QCOMPARE(OutputSettings.FontSize[2], 14);
        QCOMPARE(OutputSettings.FontName[0].text(), QStringLiteral("ＭＳ 明朝"));
    }

    void chooserCancelledKeepsTheFont() {
        TFormFontSettei dialog;
        ModalWatcher watcher([](QWidget* modal) {
            if (auto* chooser = qobject_cast<QFontDialog*>(modal))
                chooser->setCurrentFont(QFont(QStringLiteral("DejaVu Sans Mono"), 20));
        }); // then the watcher cancels it
        dialog.show();
        QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
        QCOMPARE(watcher.seen.size(), 1);
        QCOMPARE(dialog.FontDialog1.Font.family(), QStringLiteral("ＭＳ 明朝"));
        QCOMPARE(dialog.FontDialog1.Font.pointSize(), 11);
    }

    // A font chosen and then the dialog cancelled or closed: nothing is stored.
    void cancelAndCloseBoxStoreNothing_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("キャンセル") << false;
        QTest::newRow("close box") << true;
    }
    void cancelAndCloseBoxStoreNothing() {
        QFETCH(bool, closeBox);
        TFormFontSettei dialog;
        ModalWatcher watcher([](QWidget* modal) {
            if (auto* chooser = qobject_cast<QFontDialog*>(modal)) {
                chooser->setCurrentFont(QFont(QStringLiteral("DejaVu Sans Mono"), 20));
                chooser->accept();
            }
        });
        dialog.show();
        QTest::mouseClick(dialog.BitBtn2, Qt::LeftButton);
        QCOMPARE(watcher.seen.size(), 1);
        if (closeBox)
            dialog.close();
        else
            QTest::mouseClick(dialog.BitBtnCancel, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.FontsStored);
        QCOMPARE(OutputSettings.FontName[1].text(), QStringLiteral("ＭＳ 明朝"));
        QCOMPARE(OutputSettings.FontSize[1], 9);
    }

    // A face name longer than 30 bytes is stored cut to 30, never in half a character.
    void longFaceNamesAreCut_data() {
        QTest::addColumn<QString>("face");
        QTest::addColumn<QString>("stored");
        const QString fifteenWide = QStringLiteral("ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯ"); // 30 bytes
        QTest::newRow("31 bytes, cut between characters")
            << QStringLiteral("Ｘ") + fifteenWide.left(14) + QStringLiteral("x")
            << QStringLiteral("Ｘ") + fifteenWide.left(14);
        QTest::newRow("31 bytes, cut would split a character")
            << QStringLiteral("x") + fifteenWide << QStringLiteral("x") + fifteenWide.left(14);
        QTest::newRow("exactly 30 bytes") << fifteenWide << fifteenWide;
        QTest::newRow("40 ASCII bytes")
            << QString(40, QLatin1Char('m')) << QString(30, QLatin1Char('m'));
    }
    void longFaceNamesAreCut() {
        QFETCH(QString, face);
        QFETCH(QString, stored);
        TFormFontSettei dialog;
        dialog.show();
        dialog.FontDialog1.Font.setFamily(face); // as if chosen in the chooser
        QTest::mouseClick(dialog.BitBtnOK, Qt::LeftButton);
        QCOMPARE(OutputSettings.FontName[0].text(), stored);
        QVERIFY(OutputSettings.FontName[0].bytes().size() <= 30);
    }
};

QTEST_MAIN(TestFormFontSettei)
#include "tst_FormFontSettei.moc"
