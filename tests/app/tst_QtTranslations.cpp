// Qt's own texts (standard buttons, edit-box menus, file, colour and font dialogs) come out
// in Japanese once the start-up has installed Qt's translations.

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPushButton>
#include <QtTest>

#include "app/QtTranslations.h"

class TestQtTranslations : public QObject {
    Q_OBJECT

private slots:
    void qtTextsAreJapanese() {
        const QString file =
            QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_ja.qm");
        if (!QFileInfo::exists(file))
            QSKIP("Qt's translations are not installed (Debian package qt6-translations-l10n)");
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
        QVERIFY(InstallQtTranslations(*QCoreApplication::instance()));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"),
                 QStringLiteral("キャンセル"));
        QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
        QColorDialog colours;
        colours.setOption(QColorDialog::DontUseNativeDialog);
        QCOMPARE(colours.windowTitle(), QStringLiteral("色を選択"));
        // What Qt's translation leaves in English in the print dialog, and what it has.
        QCOMPARE(QCoreApplication::translate("QPrintSettingsOutput", "Pages"),
                 QStringLiteral("ページ指定"));
        QCOMPARE(QCoreApplication::translate("QPrintSettingsOutput", "Copies:"),
                 QStringLiteral("印刷部数:"));
    }
};

QTEST_MAIN(TestQtTranslations)
#include "tst_QtTranslations.moc"
