#pragma once
// The "目次" tab of the preview's side panel: the report's chapters with their sections under
// them, each with its page. A click or Enter on an entry asks for its page; the entry of the
// page shown is kept selected as pages change. An empty outline shows a line that says so.

#include <QWidget>

#include "pages/PageOutline.h"

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

class OutlineTree : public QWidget {
    Q_OBJECT
public:
    explicit OutlineTree(QWidget* parent = nullptr);

    // Shows outline in place of what was shown.
    void setOutline(const PageOutline& outline);
    // Selects the entry of page (from 1): the selected one while it is on that page, else the
    // first entry on the page, else the last entry before it; nothing before the first entry.
    void markPage(int page);

    QTreeWidget* tree() const { return tree_; }
    QLabel* emptyNote() const { return empty_; }

signals:
    void pageChosen(int page);

private:
    void choose(QTreeWidgetItem* item);

    QTreeWidget* tree_;
    QLabel* empty_;
    // Every entry in outline order, with its page: markPage searches it.
    QList<QTreeWidgetItem*> items_;
    QList<int> pages_;
};
