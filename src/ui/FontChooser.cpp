#include "ui/FontChooser.h"

#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QIntValidator>
#include <QLineEdit>
#include <QListView>
#include <QSet>
#include <algorithm>
#include <functional>

namespace {

// Qt counts only fonts marked monospaced as fixed pitch; the Japanese faces the reports use
// are marked "dual" (half-width Latin, full-width kanji) and are fixed pitch all the same.
bool hasEvenLatinAdvances(const QString& family) {
    QFont font(family);
    font.setPixelSize(24);
    if (QFontInfo(font).family().compare(family, Qt::CaseInsensitive) != 0)
        return false;
    const QFontMetricsF metrics(font);
    const qreal advance = metrics.horizontalAdvance(QLatin1Char('W'));
    if (advance <= 0)
        return false;
    for (const QChar c : QStringLiteral("il.1m "))
        if (metrics.horizontalAdvance(c) != advance)
            return false;
    return true;
}

// Hides the rows of a list view whose text is refused, now and whenever the dialog fills the
// list again. Rows are hidden, not removed: the dialog selects its rows by index.
void hideRows(QListView* view, std::function<bool(const QString&)> refused) {
    const auto apply = [view, refused] {
        const QAbstractItemModel* model = view->model();
        for (int row = 0; row < model->rowCount(); ++row)
            view->setRowHidden(row, refused(model->index(row, 0).data().toString()));
    };
    QObject::connect(view->model(), &QAbstractItemModel::modelReset, view, apply);
    QObject::connect(view->model(), &QAbstractItemModel::layoutChanged, view, apply);
    apply();
}

} // namespace

FontChooser::FontChooser() : Font(QStringLiteral("ＭＳ 明朝")) {}

bool FontChooser::isOffered(const QString& family) {
    if (QFontDatabase::isPrivateFamily(family) ||
        QFontDatabase::writingSystems(family).contains(QFontDatabase::Symbol))
        return false;
    return QFontDatabase::isFixedPitch(family) || hasEvenLatinAdvances(family);
}

QString FontChooser::shownFamily(const QString& face) {
    if (QFontDatabase::families().contains(face))
        return face;
    return QFontInfo(QFont(face)).family();
}

void FontChooser::restrict(QFontDialog& dialog) {
    // The dialog's own lists, in the order it makes them: families, styles, sizes.
    const QList<QListView*> lists =
        dialog.findChildren<QListView*>(QString(), Qt::FindDirectChildrenOnly);
    if (lists.size() >= 3) {
        QSet<QString> offered;
        for (const QString& family : QFontDatabase::families())
            if (isOffered(family))
                offered.insert(family);
        hideRows(lists[0], [offered](const QString& family) { return !offered.contains(family); });
        hideRows(lists[2], [](const QString& text) {
            bool ok = false;
            const int size = text.toInt(&ok);
            return !ok || size < MinimumSize || size > MaximumSize;
        });
    }
    // The size box takes only sizes in range.
    for (QLineEdit* edit : dialog.findChildren<QLineEdit*>())
        if (qobject_cast<const QIntValidator*>(edit->validator()))
            edit->setValidator(new QIntValidator(MinimumSize, MaximumSize, edit));
}

bool FontChooser::Execute(QWidget* parent) {
    QFontDialog dialog(parent);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    restrict(dialog);
    QFont shown = Font;
    shown.setFamily(shownFamily(Font.family()));
    if (shown.pointSize() < MinimumSize || shown.pointSize() > MaximumSize)
        shown.setPointSize(std::clamp(shown.pointSize(), MinimumSize, MaximumSize));
    dialog.setCurrentFont(shown);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    QFont chosen = dialog.selectedFont();
    chosen.setPointSize(std::clamp(chosen.pointSize(), MinimumSize, MaximumSize));
    Font = chosen;
    return true;
}
