#pragma once
// Continuous mode of the preview: the scrolling area shows every page one under another
// (ContinuousPages) instead of the page shown alone. The wheel and the scroll bar scroll
// through the pages, and the page box follows the page at the top of the area; paging (keys,
// buttons, page box) scrolls to the page's top. Off at the start of every window.

#include <QObject>

class ContinuousPages;
class PageSelection;
class QAction;
class QToolButton;
class TFormPreView;

class ContinuousMode : public QObject {
    Q_OBJECT
public:
    // selection: drags on the pages select there too, and the pages draw its rectangle.
    ContinuousMode(TFormPreView& window, PageSelection& selection);

    QAction* action() const { return action_; } // "連続ページ表示": menu entry and toolbar toggle
    QToolButton* button() const { return button_; }
    bool isOn() const;
    void setOn(bool on);
    ContinuousPages* view() const { return view_; }

    // After the window showed CurrentPage (page, zoom or layout changed): sizes the view and
    // scrolls to that page, unless the page changed because the view was scrolled there.
    void pageShown();

private:
    void scrolled();
    void followTopPage();

    TFormPreView& window_;
    PageSelection& selection_;
    QAction* action_;
    QToolButton* button_;
    ContinuousPages* view_;
    QWidget* singlePage_ = nullptr; // the single page's content, while the view replaces it
    bool following_ = false;        // the page box is being set from the scroll position
    bool followPending_ = false;
    int scrolledTo_ = -1; // where pageShown put the scroll bar
    int shownPage_ = 0;   // the page the view was last scrolled for
};
