#pragma once
// Shows a page picture at its own size inside the preview's scrolling area. It paints only
// the part that is exposed on screen, straight from the page's recording, so memory does not
// grow with the zoom.

#include <QWidget>
#include <memory>

#include "ui/PageImage.h"

class PageImageView : public QWidget {
    Q_OBJECT
public:
    explicit PageImageView(QWidget* parent = nullptr);
    ~PageImageView() override;

    // Shows picture (taking it over) and takes its size; an empty pointer shows nothing.
    void setPicture(std::unique_ptr<PageImage> picture);
    void clear() { setPicture(nullptr); }
    const PageImage* picture() const { return picture_.get(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<PageImage> picture_;
};
