#pragma once
// A rectangle of a page, for copying its text: dragging with the left button on a page draws
// it, Ctrl+A takes the whole page shown, a click without dragging lets it go. It is kept in
// page dots, so it stays through zooming; a new layout ends it, and so does another page on
// the single page (continuous pages keep it while it scrolls).

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QTransform>
#include <functional>
#include <optional>

class PageImageView;
class PageRecording;
class QPainter;
class TPrintPreview;
class QWidget;

class PageSelection : public QObject {
    Q_OBJECT
public:
    // The page under a point of a surface and its transform from page dots to the surface.
    struct PageUnder {
        const PageRecording* page;
        QTransform toSurface;
    };
    using PageAt = std::function<std::optional<PageUnder>(QPoint)>;

    // image: the single page's picture (the mouse is watched there, the rectangle drawn over
    // it).
    PageSelection(PageImageView* image, const TPrintPreview& store);
    // Another surface showing pages (continuous pages): drags there select on the page under
    // the pointer; the surface draws the rectangle itself (paintOn). While it is in use
    // (anyPage), a selection is not tied to the page shown.
    void watch(QWidget* surface, PageAt pageAt);
    void setAnyPage(bool anyPage) { anyPage_ = anyPage; }

    // The whole of the page shown.
    void selectAll();
    void clear();
    // Whether a rectangle is selected (on the page shown, unless anyPage).
    bool hasSelection() const;
    // The rectangle in page dots (meaningful while hasSelection()).
    QRect dots() const { return dots_; }
    // The text inside the rectangle (page_text_copy), empty without a selection.
    QString text() const;
    // Puts text() on the clipboard, when there is a selection.
    void copy() const;
    // Draws the rectangle when page holds it.
    void paintOn(QPainter& painter, const PageRecording& page, const QTransform& toSurface) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const PageRecording* shownPage() const;
    std::optional<PageUnder> pageAt(QObject* surface, QPoint at) const;
    void selectBetween(const PageUnder& under, QPoint from, QPoint to); // surface pixels
    void changed();

    PageImageView* image_;
    const TPrintPreview& store_;
    QWidget* layer_;
    QWidget* surface_ = nullptr;
    PageAt surfacePageAt_;
    bool anyPage_ = false;
    const PageRecording* page_ = nullptr;
    unsigned document_ = 0;
    QRect dots_;
    QPoint pressedAt_;
    std::optional<PageUnder> pressedOn_;
};
