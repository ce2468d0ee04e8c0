#pragma once
// All pages one under another, with a gap between them, as the content of the preview's
// scrolling area in continuous mode. Nothing is kept per page: a paint plays only the pages
// that the exposed rectangle meets, each through a page picture made for that paint, so a
// report of thousands of pages costs no more memory than one page.

#include <QWidget>
#include <functional>
#include <memory>

#include "ui/PageImage.h"

class ContinuousPages : public QWidget {
    Q_OBJECT
public:
    // The picture of the page with index i (from 0) at the zoom shown; none while the pages
    // cannot be read.
    using PictureOf = std::function<std::unique_ptr<PageImage>(int index)>;

    static constexpr int Margin = 8; // left of and above the first page, as Image1 sits
    static constexpr int Gap = 8;    // between one page's picture and the next

    // Drawn over each page painted (a selection), the painter at the page's picture origin.
    using Decoration = std::function<void(QPainter& painter, const PageImage& picture)>;

    ContinuousPages(PictureOf pictureOf, QWidget* parent = nullptr);
    void setDecoration(Decoration decoration) { decoration_ = std::move(decoration); }
    std::unique_ptr<PageImage> picture(int index) const { return pictureOf_(index); }

    // pageCount pages of pictureSize each (all pages share the paper); sizes the widget.
    void setPages(int pageCount, QSize pictureSize);
    int pageCount() const { return count_; }
    QSize pictureSize() const { return picture_; }

    // Top of page (from 1) in this widget; the page whose band (the gap above it and its
    // picture; the margin for the first) holds y, clamped to 1 .. pageCount. A band starts at
    // topOf(page) - Margin.
    int topOf(int page) const;
    int pageAt(int y) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int pitch() const { return picture_.height() + Gap; }

    PictureOf pictureOf_;
    Decoration decoration_;
    int count_ = 0;
    QSize picture_;
};
