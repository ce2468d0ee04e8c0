#pragma once
// One recorded page: a display list that replays onto any QPainter (screen image, printer,
// PDF) with one recorded dot on one device pixel, or scaled with the painter.

#include <QPoint>
#include <QSize>
#include <vector>

#include "pages/PageRecord.h"

class QPainter;

class PageRecording {
public:
    // size: the reference device's printable area in dots (HORZRES x VERTRES).
    explicit PageRecording(QSize size) : size_(size) {}

    int width() const { return size_.width(); }
    int height() const { return size_.height(); }

    const std::vector<PageRecord>& records() const { return records_; }
    const std::vector<FontSpec>& fonts() const { return fonts_; }
    const FontSpec& font(int index) const { return fonts_[size_t(index)]; }

    void append(PageRecord record) { records_.push_back(std::move(record)); }
    // Index of font in the page's font table, added when new.
    int fontIndex(const FontSpec& font);

    // Plays the page with its (0, 0) at origin in the painter's current coordinates.
    void replay(QPainter& painter, QPoint origin = {}) const;

private:
    QSize size_;
    std::vector<PageRecord> records_;
    std::vector<FontSpec> fonts_;
};
