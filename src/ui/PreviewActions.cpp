#include "ui/PreviewActions.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QWidget>

#include "ui/PreviewFind.h"

namespace preview_actions {

FitActions add(QWidget* window, QMenu* menu, PreviewFind& find,
               const std::function<void(fit_zoom::Fit)>& fit) {
    const auto windowAction = [window](const QKeySequence& keys, auto slot) {
        auto* action = new QAction(window);
        action->setShortcut(keys);
        window->addAction(action);
        QObject::connect(action, &QAction::triggered, window, slot);
        return action;
    };
    windowAction(QKeySequence::Find, [&find] { find.open(); });
    windowAction(QKeySequence(Qt::Key_F3), [&find] { find.findNext(); });
    windowAction(QKeySequence(Qt::SHIFT | Qt::Key_F3), [&find] { find.findPrevious(); });

    const FitActions fits{
        windowAction(QKeySequence(Qt::CTRL | Qt::Key_0), [fit] { fit(fit_zoom::Fit::Page); }),
        windowAction(QKeySequence(Qt::CTRL | Qt::Key_2), [fit] { fit(fit_zoom::Fit::Width); })};
    fits.page->setText(QStringLiteral("ページ全体"));
    fits.width->setText(QStringLiteral("幅に合わせる"));
    menu->addSeparator();
    for (QAction* action : {fits.page, fits.width}) {
        action->setShortcutVisibleInContextMenu(true);
        action->setToolTip(action->text() + QStringLiteral(" (") +
                           action->shortcut().toString(QKeySequence::NativeText) +
                           QLatin1Char(')'));
        menu->addAction(action);
    }
    return fits;
}

} // namespace preview_actions
