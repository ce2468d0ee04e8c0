#pragma once
// The preview's side panel, left of the page area: the outline ("目次") and the page pictures
// ("サムネイル") of the recorded pages, each leading to a page. A checkable toolbar button and
// F9 show and hide it; it starts hidden, and whether it is shown and its width last for the
// run (OutputSettings). It only reads the page store: after every layout it takes the new
// outline and pages when the window shows a page.

#include <QWidget>
#include <functional>

class OutlineTree;
class QBoxLayout;
class QPushButton;
class QScrollArea;
class QSplitter;
class QTabWidget;
class ThumbnailList;
class TPrintPreview;

class PreviewSidePanel : public QWidget {
    Q_OBJECT
public:
    // Width at first show, in pixels.
    static constexpr int FirstWidth = 190;

    // goToPage shows a page (from 1) in the window.
    PreviewSidePanel(const TPrintPreview& store, std::function<void(int)> goToPage,
                     QWidget* window);

    // Puts the panel and pageArea side by side in a splitter where pageArea stood in column,
    // and the toggle button on toolbar at buttonGeometry; F9 works in the whole window.
    void install(QBoxLayout* column, QScrollArea* pageArea, QWidget* toolbar,
                 const QRect& buttonGeometry);

    // The window shows page (from 1, 0: none): takes a new layout's outline and pages, and
    // marks the page in both tabs.
    void pageShown(int page);

    // Shows or hides the panel, as the button and F9 do.
    void setShown(bool shown);
    void toggle() { setShown(isHidden()); }

    QPushButton* button() const { return button_; }
    QTabWidget* tabs() const { return tabs_; }
    OutlineTree* outline() const { return outline_; }
    ThumbnailList* thumbnails() const { return thumbnails_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void takeDocument();
    void rememberWidth();

    const TPrintPreview& store_;
    std::function<void(int)> goToPage_;
    QTabWidget* tabs_;
    OutlineTree* outline_;
    ThumbnailList* thumbnails_;
    QPushButton* button_ = nullptr;
    QSplitter* splitter_ = nullptr;
    unsigned document_ = 0;
    bool documentTaken_ = false;
    int page_ = 0;
};
