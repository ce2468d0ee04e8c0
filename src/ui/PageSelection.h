#pragma once
// A rectangle of the page shown, for copying its text: dragging with the left button on the
// page picture draws it, Ctrl+A takes the whole page, a click without dragging lets it go.
// It is kept in page dots, so it stays through zooming; another page or a new layout ends it.

#include <QObject>
#include <QPoint>
#include <QRect>

class PageImageView;
class PageRecording;
class TPrintPreview;
class QWidget;

class PageSelection : public QObject {
    Q_OBJECT
public:
    // image: the page picture (the mouse is watched there, the rectangle drawn over it).
    PageSelection(PageImageView* image, const TPrintPreview& store);

    // The whole of the page shown.
    void selectAll();
    void clear();
    // Whether a rectangle is selected on the page shown now.
    bool hasSelection() const;
    // The rectangle in page dots (meaningful while hasSelection()).
    QRect dots() const { return dots_; }
    // The text inside the rectangle (page_text_copy), empty without a selection.
    QString text() const;
    // Puts text() on the clipboard, when there is a selection.
    void copy() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const PageRecording* shownPage() const;
    void selectBetween(QPoint from, QPoint to); // picture pixels

    PageImageView* image_;
    const TPrintPreview& store_;
    QWidget* layer_;
    const PageRecording* page_ = nullptr;
    unsigned document_ = 0;
    QRect dots_;
    QPoint pressedAt_;
    bool dragging_ = false;
};
