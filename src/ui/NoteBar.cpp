#include "ui/NoteBar.h"

NoteBar::NoteBar(QWidget* parent) : QLabel(parent) {
    setContentsMargins(8, 3, 8, 3);
    setAutoFillBackground(true);
    setWordWrap(false);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    hide_.setSingleShot(true);
    hide_.setInterval(InformationMs);
    connect(&hide_, &QTimer::timeout, this, &QWidget::hide);
    hide();
}

void NoteBar::showNote(const QString& text, Kind kind) {
    kind_ = kind;
    QPalette p = palette();
    p.setColor(QPalette::Window,
               kind == Kind::Problem ? QColor(255, 224, 178) : QColor(225, 240, 255));
    p.setColor(QPalette::WindowText, Qt::black);
    setPalette(p);
    setText(text);
    show();
    if (kind == Kind::Information)
        hide_.start();
    else
        hide_.stop();
}
