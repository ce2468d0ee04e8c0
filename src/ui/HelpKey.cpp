#include "ui/HelpKey.h"

#include <QAbstractButton>
#include <QShortcut>

void BindHelpKey(QWidget& window, QAbstractButton& helpButton) {
    auto* key = new QShortcut(QKeySequence(Qt::Key_F1), &window);
    key->setContext(Qt::WindowShortcut);
    QObject::connect(key, &QShortcut::activated, &helpButton, &QAbstractButton::click);
}
