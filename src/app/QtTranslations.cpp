#include "app/QtTranslations.h"

#include <QCoreApplication>
#include <QHash>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

// The texts of Qt's print dialog that its Japanese translation leaves in English. Asked before
// Qt's own translation; answers only these, so everything else falls through to it.
class PrintDialogTexts : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char*,
                      int) const override {
        if (qstrcmp(context, "QPrintSettingsOutput") != 0)
            return {};
        return texts().value(QByteArray(sourceText));
    }
    bool isEmpty() const override { return false; }

private:
    static const QHash<QByteArray, QString>& texts() {
        static const QHash<QByteArray, QString> table{
            {"Pages", QStringLiteral("ページ指定")},
            {"Specify pages or ranges separated by commas. Ranges are specified by two numbers "
             "separated by a hyphen. E.g: 3,5-7,9 prints pages 3, 5, 6, 7 and 9.",
             QStringLiteral(
                 "ページまたは範囲をカンマで区切って指定します。範囲は二つの番号を"
                 "ハイフンでつなぎます。例: 3,5-7,9 はページ 3, 5, 6, 7, 9 を印刷します。")},
            {"Double Sided Printing", QStringLiteral("両面印刷")},
            {"Off", QStringLiteral("片面")},
            {"Long side binding", QStringLiteral("長辺綴じ")},
            {"Short side binding", QStringLiteral("短辺綴じ")},
        };
        return table;
    }
};

} // namespace

bool InstallQtTranslations(QCoreApplication& app) {
    auto* translator = new QTranslator(&app); // lives as long as the application
    if (!translator->load(QStringLiteral("qtbase_ja"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    if (!QCoreApplication::installTranslator(translator))
        return false;
    // Installed last, so asked first.
    return QCoreApplication::installTranslator(new PrintDialogTexts(&app));
}
