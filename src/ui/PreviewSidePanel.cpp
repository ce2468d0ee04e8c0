#include "ui/PreviewSidePanel.h"

#include <QAction>
#include <QBoxLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTabWidget>
#include <algorithm>

#include "document/OutputSettings.h"
#include "pages/PrintPreview.h"
#include "ui/OutlineTree.h"
#include "ui/ThumbnailList.h"

PreviewSidePanel::PreviewSidePanel(const TPrintPreview& store, std::function<void(int)> goToPage,
                                   QWidget* window)
    : QWidget(window), store_(store), goToPage_(std::move(goToPage)), tabs_(new QTabWidget(this)),
      outline_(new OutlineTree), thumbnails_(new ThumbnailList(store)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tabs_);
    tabs_->addTab(outline_, QStringLiteral("目次"));
    tabs_->addTab(thumbnails_, QStringLiteral("サムネイル"));
    setMinimumWidth(100);
    connect(outline_, &OutlineTree::pageChosen, this, [this](int page) { goToPage_(page); });
    connect(thumbnails_, &ThumbnailList::pageChosen, this, [this](int page) { goToPage_(page); });
    hide();

    // F9 anywhere in the window; the preview's own keys leave it free.
    auto* key = new QAction(this);
    key->setShortcut(QKeySequence(Qt::Key_F9));
    key->setShortcutContext(Qt::WindowShortcut);
    window->addAction(key);
    connect(key, &QAction::triggered, this, [this] { toggle(); });
}

void PreviewSidePanel::install(QBoxLayout* column, QScrollArea* pageArea, QWidget* toolbar,
                               const QRect& buttonGeometry) {
    splitter_ = new QSplitter(Qt::Horizontal);
    splitter_->setChildrenCollapsible(false);
    delete column->replaceWidget(pageArea, splitter_);
    splitter_->addWidget(this);
    splitter_->addWidget(pageArea);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    connect(splitter_, &QSplitter::splitterMoved, this, [this] { rememberWidth(); });

    button_ = new QPushButton(QStringLiteral("目次"), toolbar);
    button_->setGeometry(buttonGeometry);
    button_->setCheckable(true);
    button_->setAutoDefault(false);
    button_->setFocusPolicy(Qt::NoFocus);
    button_->setToolTip(QStringLiteral("目次とサムネイルの表示/非表示 (F9)"));
    connect(button_, &QPushButton::toggled, this, [this](bool on) { setShown(on); });
    setShown(OutputSettings.PreviewPanelShown == 1);
}

void PreviewSidePanel::setShown(bool shown) {
    if (button_ && button_->isChecked() != shown) {
        button_->setChecked(shown); // comes back here through toggled
        return;
    }
    if (shown == !isHidden())
        return;
    if (!shown)
        rememberWidth();
    setVisible(shown);
    OutputSettings.PreviewPanelShown = shown ? 1 : 0;
    if (shown && splitter_) {
        const int width =
            OutputSettings.PreviewPanelWidth > 0 ? OutputSettings.PreviewPanelWidth : FirstWidth;
        const int total = splitter_->width();
        splitter_->setSizes({width, std::max(1, total - width - splitter_->handleWidth())});
    }
}

void PreviewSidePanel::rememberWidth() {
    if (isVisible() && width() > 0)
        OutputSettings.PreviewPanelWidth = width();
}

void PreviewSidePanel::pageShown(int page) {
    page_ = page;
    if (isHidden())
        return; // taken when the panel is shown
    takeDocument();
    outline_->markPage(page);
    thumbnails_->markPage(page);
}

void PreviewSidePanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    pageShown(page_);
}

void PreviewSidePanel::takeDocument() {
    // Nothing is read while a layout records pages (its progress window lets events through).
    if (store_.Printing() || (documentTaken_ && document_ == store_.DocumentNumber()))
        return;
    document_ = store_.DocumentNumber();
    documentTaken_ = true;
    outline_->setOutline(store_.outline());
    thumbnails_->refresh();
}
