#include "ui/OutlineTree.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr int PageRole = Qt::UserRole;

} // namespace

OutlineTree::OutlineTree(QWidget* parent)
    : QWidget(parent), tree_(new QTreeWidget(this)),
      empty_(new QLabel(QStringLiteral("目次はありません"), this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(empty_);
    layout->addWidget(tree_, 1);
    empty_->setContentsMargins(6, 6, 6, 6);
    empty_->setWordWrap(true);
    empty_->hide();
    tree_->setColumnCount(2);
    tree_->setHeaderHidden(true);
    tree_->setUniformRowHeights(true);
    tree_->setTextElideMode(Qt::ElideRight);
    tree_->header()->setStretchLastSection(false);
    tree_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    tree_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    connect(tree_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { choose(item); });
    connect(tree_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { choose(item); });
}

void OutlineTree::setOutline(const PageOutline& outline) {
    tree_->clear();
    items_.clear();
    pages_.clear();
    QTreeWidgetItem* chapter = nullptr;
    for (const OutlineEntry& entry : outline) {
        const QStringList columns{entry.label, QString::number(entry.page)};
        QTreeWidgetItem* item = entry.level > 1 && chapter ? new QTreeWidgetItem(chapter, columns)
                                                           : new QTreeWidgetItem(tree_, columns);
        if (entry.level <= 1)
            chapter = item;
        item->setData(0, PageRole, entry.page);
        item->setToolTip(0, entry.label);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        items_.append(item);
        pages_.append(entry.page);
    }
    tree_->expandAll();
    empty_->setVisible(outline.isEmpty());
    tree_->setVisible(!outline.isEmpty());
}

void OutlineTree::markPage(int page) {
    QTreeWidgetItem* current = tree_->currentItem();
    if (current && current->data(0, PageRole).toInt() == page && current->isSelected())
        return;
    // The entries are in page order: the last one at or before page, then the first of the
    // entries on that entry's page.
    auto at = std::upper_bound(pages_.cbegin(), pages_.cend(), page);
    if (at == pages_.cbegin()) {
        tree_->setCurrentItem(nullptr);
        tree_->clearSelection();
        return;
    }
    at = std::lower_bound(pages_.cbegin(), at, *(at - 1));
    QTreeWidgetItem* item = items_[at - pages_.cbegin()];
    tree_->setCurrentItem(item);
    tree_->scrollToItem(item);
}

void OutlineTree::choose(QTreeWidgetItem* item) {
    if (item)
        emit pageChosen(item->data(0, PageRole).toInt());
}
