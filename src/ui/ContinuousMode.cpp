#include "ui/ContinuousMode.h"

#include <QAction>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

#include "ui/ContinuousPages.h"
#include "ui/FormPreView.h"
#include "ui/PageSelection.h"

ContinuousMode::ContinuousMode(TFormPreView& window, PageSelection& selection)
    : QObject(&window), window_(window), selection_(selection) {
    view_ = new ContinuousPages(
        [this](int index) -> std::unique_ptr<PageImage> {
            // Nothing is read from the store while a layout records into it.
            const TPrintPreview& store = window_.PrintPreview1;
            if (store.Printing() || index >= store.PageCount())
                return nullptr;
            return window_.MakePageImage(store.GetPage(index), window_.Zoom);
        },
        &window);
    view_->hide();
    view_->setDecoration([this](QPainter& painter, const PageImage& picture) {
        selection_.paintOn(painter, picture.page(), picture.pageTransform());
    });
    selection_.watch(view_, [this](QPoint at) -> std::optional<PageSelection::PageUnder> {
        const int page = view_->pageAt(at.y());
        const std::unique_ptr<PageImage> picture = view_->picture(page - 1);
        if (!picture)
            return std::nullopt;
        return PageSelection::PageUnder{
            &picture->page(),
            picture->pageTransform() *
                QTransform::fromTranslate(ContinuousPages::Margin, view_->topOf(page))};
    });
    action_ = new QAction(QStringLiteral("連続ページ表示"), &window);
    action_->setCheckable(true);
    action_->setToolTip(QStringLiteral("ページを縦に続けて表示"));
    connect(action_, &QAction::toggled, this, &ContinuousMode::setOn);
    button_ = new QToolButton(window.Panel1);
    button_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button_->setDefaultAction(action_);
    action_->setIconText(QStringLiteral("連続表示")); // the toolbar's shorter name
    button_->setGeometry(196, 3, 81, 25);
    window.PopupMenu1->addSeparator();
    window.PopupMenu1->addAction(action_);
    connect(window.ScrollBox1->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &ContinuousMode::scrolled);
    // The view's own context menu is the page menu, as on the single page.
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { window_.PopupMenu1->popup(view_->mapToGlobal(pos)); });
}

bool ContinuousMode::isOn() const {
    return window_.ScrollBox1->widget() == view_;
}

void ContinuousMode::setOn(bool on) {
    if (on == isOn())
        return;
    action_->setChecked(on);
    QScrollArea* area = window_.ScrollBox1;
    // The scroll area deletes a widget it lets go of unless it is taken first; the one put
    // aside stays a hidden child of the window.
    QWidget* previous = area->takeWidget();
    previous->setParent(&window_);
    previous->hide();
    if (on) {
        singlePage_ = previous;
        area->setWidget(view_);
    } else {
        area->setWidget(singlePage_);
        singlePage_ = nullptr;
    }
    shownPage_ = 0;
    selection_.setAnyPage(on); // a rectangle stays while its page scrolls out of the top
    if (on)
        pageShown(); // the page shown goes to the top of the area
    else
        area->verticalScrollBar()->setValue(0);
}

void ContinuousMode::pageShown() {
    if (!isOn() || following_)
        return;
    QScrollBar* bar = window_.ScrollBox1->verticalScrollBar();
    // A new zoom keeps the place within the page shown; another page starts at its top.
    const auto bandTop = [this](int page) { return view_->topOf(page) - ContinuousPages::Margin; };
    double within = 0;
    if (window_.CurrentPage == shownPage_ && view_->pictureSize().height() > 0)
        within =
            std::max(0, bar->value() - bandTop(shownPage_)) / double(view_->pictureSize().height());
    const QSize picture = PageImage::pictureSize(window_.State.PrinterInfo, window_.Zoom,
                                                 window_.logicalDpiX(), window_.logicalDpiY());
    view_->setPages(window_.PrintPreview1.PageCount(), picture);
    shownPage_ = window_.CurrentPage;
    bar->setValue(bandTop(shownPage_) + int(within * picture.height()));
    scrolledTo_ = bar->value();
}

void ContinuousMode::scrolled() {
    // Looked at once the scrolling has settled: paging sets the bar to 0 and then to the new
    // page's top, and only the second is where the user is.
    if (!isOn() || followPending_)
        return;
    followPending_ = true;
    QTimer::singleShot(0, this, [this] {
        followPending_ = false;
        followTopPage();
    });
}

void ContinuousMode::followTopPage() {
    QScrollBar* bar = window_.ScrollBox1->verticalScrollBar();
    if (!isOn() || bar->value() == scrolledTo_)
        return; // where paging put it: the page box already says which page
    scrolledTo_ = -1;
    const int page = view_->pageAt(bar->value());
    if (page == window_.CurrentPage || page < 1)
        return;
    following_ = true;
    window_.CurrentPage = page;
    window_.ShowPage();
    following_ = false;
    shownPage_ = page;
}
