#pragma once
// One recorded page: a display list that replays onto any QPainter (screen image, printer,
// PDF) with one recorded dot on one device pixel, or scaled with the painter.
//
// The two records a page is made of, text runs and rules, are kept compactly: a list of record
// kinds in drawing order, one array per kind, all text bytes of the page in one buffer and the
// page's pens in a small table. A dense page of a few hundred records then takes a few KB
// besides its text, in a handful of allocations. records() gives the page as plain records
// for inspection; replay does not need it.
//
// The records themselves are PageRecord.h's, RecordingCanvas is what records them and
// PagePlayer plays them; this class stores them.

#include <QByteArray>
#include <QByteArrayView>
#include <QPoint>
#include <QSize>
#include <cstdint>
#include <vector>

#include "pages/PageRecord.h"

class QPainter;

class PageRecording {
public:
    // size: the reference device's printable area in dots (HORZRES x VERTRES).
    explicit PageRecording(QSize size) : size_(size) {}

    int width() const { return size_.width(); }
    int height() const { return size_.height(); }

    // The page as plain records in drawing order, decoded on first use after an append. As
    // with a vector, references into it stay valid until the next append.
    const std::vector<PageRecord>& records() const;
    std::size_t recordCount() const { return order_.size(); }
    const std::vector<FontSpec>& fonts() const { return fonts_; }
    const FontSpec& font(int index) const { return fonts_[size_t(index)]; }

    // The page's text runs in drawing order, without decoding the other records (search).
    struct TextRun {
        QPoint topLeft;
        QSize box;
        QByteArrayView bytes; // valid while the page is not changed
        int cellWidth;
        int extraSpacing;
    };
    std::size_t textRunCount() const { return texts_.size(); }
    // The page's images in drawing order, without decoding the other records (PDF finishing).
    const std::vector<ImageRecord>& images() const { return images_; }
    TextRun textRun(std::size_t index) const;

    void append(PageRecord record);
    // The recording canvas's way in: no record object, text bytes copied once.
    void appendText(QPoint topLeft, QByteArrayView bytes, int fontIndex, int cellWidth,
                    int extraSpacing, QSize box, QRgb color, std::optional<QRgb> background);
    void appendLine(QPoint from, QPoint to, const PenSpec& pen);
    // Index of font in the page's font table, added when new.
    int fontIndex(const FontSpec& font);

    // Makes room for as many records and text bytes as other holds (pages of one document
    // are alike), so that recording allocates once per array.
    void reserveLike(const PageRecording& other);
    // Gives back room that recording reserved and did not use (a page is complete).
    void squeeze();
    // Bytes held by the page's arrays and text buffer (their capacity).
    std::size_t storageBytes() const;

    // Output plays figure bitmaps with the pixels of the layout resolution (smoothed to their
    // size in dots where the layout asked for it) and keeps bitmaps lossless in a PDF or print
    // job. Screen draws a figure that the painter shrinks from pixels scaled to the size it
    // takes on the device, so that a preview does not smooth at printer resolution.
    enum class Target : std::uint8_t { Output, Screen };

    // Plays the page with its (0, 0) at origin in the painter's current coordinates.
    void replay(QPainter& painter, QPoint origin = {}, Target target = Target::Output) const;

private:
    enum class Kind : std::uint8_t { Text, Line, Polyline, Rectangle, Fill, Image, Figure };
    struct StoredText {
        QPoint topLeft;
        QSize box;
        std::uint32_t offset; // into text_
        std::uint32_t size;
        std::int32_t cellWidth;
        std::int32_t extraSpacing;
        QRgb color;
        QRgb background;
        std::uint16_t fontIndex;
        bool opaque;
    };
    struct StoredLine {
        QPoint from;
        QPoint to;
        std::uint32_t pen; // into pens_
    };
    // Positions in the per-kind arrays while walking order_.
    struct Cursor {
        std::size_t text = 0, line = 0, polyline = 0, rectangle = 0, fill = 0, image = 0,
                    figure = 0;
    };
    friend class PagePlayer; // walks the packed arrays

    std::uint32_t penIndex(const PenSpec& pen);
    PageRecord decode(Kind kind, Cursor& cursor) const;

    QSize size_;
    std::vector<Kind> order_;
    std::vector<StoredText> texts_;
    std::vector<StoredLine> lines_;
    std::vector<PenSpec> pens_;
    std::vector<PolylineRecord> polylines_;
    std::vector<RectangleRecord> rectangles_;
    std::vector<FillRecord> fills_;
    std::vector<ImageRecord> images_;
    std::vector<FigureRecord> figures_;
    QByteArray text_;
    std::vector<FontSpec> fonts_;
    mutable std::vector<PageRecord> decoded_;
    mutable Cursor decodedCursor_;
};
