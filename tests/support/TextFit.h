#pragma once
// Finds texts that do not fit their controls: labels, push buttons and radio buttons whose
// text (with icon or indicator) is wider or taller than the room the control gives it, or
// controls that stick out of their parent. Measured with the fonts actually installed.

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QStyle>

namespace text_fit {

inline QString describe(const QWidget* w, const QString& text, int need, int room) {
    return QStringLiteral("%1 \"%2\": needs %3, has %4")
        .arg(QString::fromLatin1(w->metaObject()->className()), text)
        .arg(need)
        .arg(room);
}

inline QStringList cutTexts(const QWidget* window) {
    QStringList cut;
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window))
            continue;
        const QFontMetrics fm(w->font());
        const QStyle* style = w->style();
        if (w->parentWidget() && !w->parentWidget()->rect().contains(w->geometry()))
            cut << describe(w, w->objectName(), w->geometry().right(),
                            w->parentWidget()->rect().right()) +
                       QStringLiteral(" (outside its parent)");
        if (const auto* label = qobject_cast<const QLabel*>(w)) {
            if (label->text().isEmpty() || label->wordWrap())
                continue;
            const int need = fm.horizontalAdvance(label->text());
            const QRect room = label->contentsRect();
            if (need > room.width() || fm.height() > room.height())
                cut << describe(w, label->text(), need, room.width());
        } else if (const auto* radio = qobject_cast<const QRadioButton*>(w)) {
            const int need = style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) +
                             style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing) +
                             fm.horizontalAdvance(radio->text());
            if (need > radio->width() || fm.height() > radio->height())
                cut << describe(w, radio->text(), need, radio->width());
        } else if (const auto* button = qobject_cast<const QPushButton*>(w)) {
            if (button->text().isEmpty())
                continue;
            int need = fm.horizontalAdvance(button->text()) +
                       2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth) + 4;
            if (!button->icon().isNull())
                need += button->iconSize().width() + 4;
            if (need > button->width() || fm.height() > button->height())
                cut << describe(w, button->text(), need, button->width());
        }
    }
    return cut;
}

} // namespace text_fit
