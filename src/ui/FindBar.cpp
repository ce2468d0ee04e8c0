#include "ui/FindBar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace {

QToolButton* toolButton(QWidget* parent, const QString& text, const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus); // the keyboard stays in the box
    return button;
}

} // namespace

FindBar::FindBar(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 2, 8, 2);
    layout->setSpacing(4);
    auto* label = new QLabel(QStringLiteral("検索:"), this);
    Edit = new QLineEdit(this);
    Edit->setPlaceholderText(QStringLiteral("ページの文字を検索"));
    Edit->setToolTip(
        QStringLiteral("検索 (Ctrl+F): 全角・半角、英字の大文字・小文字を区別しません"));
    Edit->setClearButtonEnabled(true);
    Edit->setFixedWidth(220);
    label->setBuddy(Edit);
    PreviousButton =
        toolButton(this, QStringLiteral("▲"), QStringLiteral("前を検索 (Shift+Enter, Shift+F3)"));
    NextButton = toolButton(this, QStringLiteral("▼"), QStringLiteral("次を検索 (Enter, F3)"));
    Status = new QLabel(this);
    Status->setMinimumWidth(120);
    CloseButton = toolButton(this, QStringLiteral("×"), QStringLiteral("閉じる (Esc)"));
    layout->addWidget(label);
    layout->addWidget(Edit);
    layout->addWidget(PreviousButton);
    layout->addWidget(NextButton);
    layout->addWidget(Status);
    layout->addStretch(1);
    layout->addWidget(CloseButton);

    Edit->installEventFilter(this);
    connect(Edit, &QLineEdit::textChanged, this, &FindBar::queryChanged);
    connect(PreviousButton, &QToolButton::clicked, this, &FindBar::findPrevious);
    connect(NextButton, &QToolButton::clicked, this, &FindBar::findNext);
    connect(CloseButton, &QToolButton::clicked, this, &FindBar::close);
    hide();
}

void FindBar::open() {
    show();
    Edit->setFocus(Qt::ShortcutFocusReason);
    Edit->selectAll();
}

void FindBar::close() {
    if (isHidden())
        return;
    hide();
    emit closed();
}

void FindBar::setStatus(const QString& text) {
    Status->setText(text);
}

QString FindBar::foundText(int ordinal, int total) {
    return QStringLiteral("%1 / %2 件").arg(ordinal).arg(total);
}

QString FindBar::notFoundText() {
    return QStringLiteral("見つかりません");
}

QString FindBar::searchingText() {
    return QStringLiteral("検索中...");
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (key->modifiers() & Qt::ShiftModifier)
                emit findPrevious();
            else
                emit findNext();
            return true; // used up: no button of the window is pressed by it
        case Qt::Key_Escape:
            close(); // closes the bar, not the window
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}
