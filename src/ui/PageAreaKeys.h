#pragma once
// Makes the preview's scrolling area a place for the keyboard: a click on the page (or Tab)
// gives it the focus, and the arrow keys then scroll the page. Page Up and Page Down stay the
// window's page keys there: the area does not scroll by them as well.

#include <QObject>

class QAbstractScrollArea;

class PageAreaKeys : public QObject {
    Q_OBJECT
public:
    explicit PageAreaKeys(QAbstractScrollArea* area);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
