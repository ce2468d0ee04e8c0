#include "ui/PreviewFind.h"

#include <QDeadlineTimer>
#include <QLineEdit>
#include <QScrollArea>

#include "pages/PrintPreview.h"
#include "ui/FindBar.h"
#include "ui/PageImageView.h"

PreviewFind::PreviewFind(FindBar* bar, const TPrintPreview& store, QScrollArea* area,
                         PageImageView* image, Hooks hooks)
    : QObject(bar), bar_(bar), store_(store), area_(area), image_(image), hooks_(std::move(hooks)),
      highlight_(
          new MatchHighlight(image, [this](const PageRecording& page) { return marksOn(page); })),
      search_(store), document_(store.DocumentNumber()) {
    counter_.setInterval(0);
    connect(&counter_, &QTimer::timeout, this, &PreviewFind::countSome);
    connect(bar_, &FindBar::queryChanged, this, &PreviewFind::queryChanged);
    connect(bar_, &FindBar::findNext, this, &PreviewFind::findNext);
    connect(bar_, &FindBar::findPrevious, this, &PreviewFind::findPrevious);
    connect(bar_, &FindBar::closed, this, &PreviewFind::closed);
}

bool PreviewFind::active() const {
    return bar_->isVisible() && !search_.foldedQuery().isEmpty();
}

void PreviewFind::open() {
    const bool wasOpen = bar_->isVisible();
    bar_->open();
    if (!wasOpen && !bar_->Edit->text().isEmpty())
        restart(true); // the text from before, on the pages now shown
}

void PreviewFind::closed() {
    counter_.stop();
    highlight_->update();
}

void PreviewFind::queryChanged(const QString&) {
    restart(true);
}

void PreviewFind::restart(bool move) {
    document_ = store_.DocumentNumber();
    search_.setQuery(bar_->Edit->text());
    current_.reset();
    counter_.stop();
    firstPending_ = false;
    if (!search_.foldedQuery().isEmpty() && search_.available()) {
        // The first match from the top of the page shown comes as soon as it is found; the
        // pages are searched in order from there, the rest between events.
        start_ = hooks_.currentPage() - 1;
        search_.searchSome(start_, QDeadlineTimer(FirstMs).deadline(), true);
        firstPending_ = true;
        moveToFirst_ = move;
        settleFirst();
        if (!search_.complete())
            counter_.start();
    }
    updateStatus();
    highlight_->update();
}

bool PreviewFind::followDocument() {
    if (document_ == store_.DocumentNumber())
        return true;
    if (search_.available())
        QTimer::singleShot(0, this, [this] {
            if (document_ != store_.DocumentNumber() && search_.available())
                restart(false);
        });
    return false;
}

void PreviewFind::settleFirst() {
    if (!firstPending_)
        return;
    const PageTextSearch::Found found = search_.firstSearchedFrom(start_);
    if (!found.decided)
        return;
    firstPending_ = false;
    go(found.match, moveToFirst_);
}

void PreviewFind::countSome() {
    if (!search_.available() || !followDocument()) {
        counter_.stop(); // a layout is running or ran: the search starts again after it
        return;
    }
    const bool done = search_.searchSome(start_, QDeadlineTimer(SliceMs).deadline());
    settleFirst();
    if (done) {
        counter_.stop();
        updateStatus();
    }
}

void PreviewFind::findNext() {
    if (!bar_->isVisible())
        bar_->open();
    if (search_.foldedQuery().isEmpty() || !search_.available())
        return;
    followDocument();
    firstPending_ = false;
    const int shown = hooks_.currentPage() - 1;
    if (current_ && current_->page == shown)
        go(search_.next(*current_), true);
    else
        go(search_.firstFrom(shown), true);
    updateStatus();
}

void PreviewFind::findPrevious() {
    if (!bar_->isVisible())
        bar_->open();
    if (search_.foldedQuery().isEmpty() || !search_.available())
        return;
    followDocument();
    firstPending_ = false;
    const int shown = hooks_.currentPage() - 1;
    go(search_.previous(current_ && current_->page == shown ? *current_ : TextMatch{shown, 0}),
       true);
    updateStatus();
}

void PreviewFind::go(const std::optional<TextMatch>& match, bool move) {
    current_ = match;
    if (!match || !move) {
        highlight_->update();
        return;
    }
    if (match->page != hooks_.currentPage() - 1)
        hooks_.goToPage(match->page + 1);
    highlight_->update();
    // Bring the match into view.
    const PageImage* picture = image_->picture();
    if (!picture || store_.Printing())
        return;
    const QList<QRect> boxes = marksOn(picture->page()).current;
    if (boxes.isEmpty())
        return;
    const QRect r = picture->pageTransform().mapRect(QRectF(boxes.front())).toAlignedRect();
    const QPoint centre = image_->pos() + r.center();
    area_->ensureVisible(centre.x(), centre.y(), r.width() / 2 + 40, r.height() / 2 + 40);
}

void PreviewFind::updateStatus() {
    if (search_.foldedQuery().isEmpty())
        bar_->setStatus(QString());
    else if (!search_.complete())
        bar_->setStatus(FindBar::searchingText());
    else if (search_.total() == 0)
        bar_->setStatus(FindBar::notFoundText());
    else if (current_)
        bar_->setStatus(FindBar::foundText(search_.ordinal(*current_), search_.total()));
    else
        bar_->setStatus(FindBar::foundText(0, search_.total()));
}

MatchMarks PreviewFind::marksOn(const PageRecording& page) {
    MatchMarks marks;
    if (!active() || !search_.available() || !followDocument())
        return marks;
    const int shown = hooks_.currentPage() - 1;
    if (shown < 0 || shown >= store_.PageCount() || &store_.GetPage(shown) != &page)
        return marks;
    if (!places_ || placesPage_ != shown || placesDocument_ != document_) {
        places_.emplace(page, PageText::Places::With);
        placesPage_ = shown;
        placesDocument_ = document_;
    }
    const qsizetype length = search_.matchLength();
    for (const qsizetype start : search_.matchesOn(shown)) {
        QList<QRect>& into =
            current_ && *current_ == TextMatch{shown, start} ? marks.current : marks.others;
        into += places_->boxes(start, length);
    }
    return marks;
}
