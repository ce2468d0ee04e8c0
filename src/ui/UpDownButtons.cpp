#include "ui/UpDownButtons.h"

#include <QLineEdit>

#include "ui/PreviewZoom.h"

UpDownButtons::UpDownButtons(QLineEdit* buddy, QWidget* parent) : ArrowPair(buddy, parent) {}

void UpDownButtons::step(int direction) {
    const int next =
        preview_zoom::stepPercent(preview_zoom::percentFromText(buddy()->text()), direction);
    buddy()->setText(QString::number(next));
    emit clicked(direction);
}
