#include "ui/PreviewShortcuts.h"

#include <QAction>
#include <QEvent>
#include <QKeySequence>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>

#include "ui/UpDownButtons.h"

namespace preview_shortcuts {

namespace {

QAction* windowAction(QWidget* window, const QList<QKeySequence>& keys,
                      const std::function<void()>& slot) {
    auto* action = new QAction(window);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    window->addAction(action);
    QObject::connect(action, &QAction::triggered, window, slot);
    return action;
}

// Keeps the full-screen entry's tick in step with the window, however the state changed.
class FullScreenTick : public QObject {
public:
    FullScreenTick(QWidget* window, QAction* action) : QObject(window), action_(action) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowStateChange)
            action_->setChecked(static_cast<QWidget*>(watched)->isFullScreen());
        return false;
    }

private:
    QAction* action_;
};

} // namespace

QString withKey(const QString& text, const QAction* action) {
    return text + QStringLiteral(" (") + action->shortcut().toString(QKeySequence::NativeText) +
           QLatin1Char(')');
}

Actions add(QWidget* window, const Targets& t) {
    const auto press = [](QPushButton* button) { return [button] { button->click(); }; };
    const auto printKey =
        windowAction(window, {QKeySequence(Qt::CTRL | Qt::Key_P)}, press(t.print));
    const auto backKey = windowAction(window, {QKeySequence(Qt::CTRL | Qt::Key_W)}, press(t.back));
    // Ctrl+1 is the page menu's "表示倍率リセット" (shown beside it there), so the reset
    // button keeps its hint as it is.
    t.zoomReset->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_1));
    t.zoomReset->setShortcutContext(Qt::WindowShortcut);
    t.zoomReset->setShortcutVisibleInContextMenu(true);
    window->addAction(t.zoomReset);
    // Ctrl+plus is typed with Shift on most keyboards; Ctrl+= is the same key unshifted.
    UpDownButtons* steps = t.zoomSteps;
    const auto inKey = windowAction(
        window, {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)},
        [steps] { steps->step(+1); });
    const auto outKey = windowAction(window, {QKeySequence(Qt::CTRL | Qt::Key_Minus)},
                                     [steps] { steps->step(-1); });

    t.print->setToolTip(withKey(QStringLiteral("印字出力"), printKey));
    t.back->setToolTip(withKey(QStringLiteral("戻る"), backKey));
    steps->upButton()->setToolTip(withKey(QStringLiteral("拡大"), inKey));
    steps->downButton()->setToolTip(withKey(QStringLiteral("縮小"), outKey));

    Actions actions{};
    actions.fullScreen = windowAction(window, {QKeySequence(Qt::Key_F11)}, [window] {
        window->setWindowState(window->windowState() ^ Qt::WindowFullScreen);
    });
    actions.fullScreen->setText(QStringLiteral("全画面表示"));
    actions.fullScreen->setCheckable(true);
    new FullScreenTick(window, actions.fullScreen);
    const std::function<void()> end = t.endTool;
    actions.endTool = windowAction(window, {QKeySequence(Qt::CTRL | Qt::Key_Q)}, [end] {
        if (end)
            end();
    });
    actions.endTool->setText(QStringLiteral("終了"));
    t.menu->addSeparator();
    for (QAction* action : {actions.fullScreen, actions.endTool}) {
        action->setShortcutVisibleInContextMenu(true);
        t.menu->addAction(action);
    }
    return actions;
}

} // namespace preview_shortcuts
