#pragma once
// The graphic objects a metafile creates, selects and deletes, and the table that holds them.

#include <QColor>
#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QString>

#include <optional>
#include <set>
#include <variant>
#include <vector>

struct GdiPen {
    quint32 style = 0; // PS_* style, end cap, join and type bits
    double width = 0;  // logical units; 0 draws one device pixel
    QColor color = Qt::black;
    QList<qreal> userDashes; // PS_USERSTYLE lengths, logical units
};

struct GdiBrush {
    quint32 style = 0; // BS_*
    QColor color = Qt::white;
    quint32 hatch = 0; // HS_* for hatched brushes
    QImage pattern;    // pattern brushes
};

struct GdiFont {
    int height = 0; // negative: em height; positive: cell height; logical units
    int width = 0;
    int escapement = 0; // tenths of a degree, counter-clockwise
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charset = 1;
    QString face;
};

// A region: rectangles in the metafile's device units (EMF) or logical units (WMF).
struct GdiRegion {
    QPainterPath path;
};

// Palettes and colour spaces occupy table slots but draw nothing.
struct GdiPlaceholder {};

using GdiObject =
    std::variant<std::monostate, GdiPen, GdiBrush, GdiFont, GdiRegion, GdiPlaceholder>;

// Slots are created on demand up to a fixed capacity; indexes beyond it are ignored, so a
// hostile index never allocates more than the capacity.
class GdiObjectTable {
public:
    explicit GdiObjectTable(quint32 capacity) : capacity_(capacity) {}

    quint32 capacity() const { return capacity_; }

    // EMF: the record names the slot.
    void put(quint32 index, GdiObject object);
    // WMF: the object takes the lowest free slot; nothing happens when all are taken.
    void putFirstFree(GdiObject object);

    const GdiObject* find(quint32 index) const;
    void remove(quint32 index);

private:
    quint32 capacity_;
    std::vector<GdiObject> slots_;
    std::set<quint32> freed_; // free slots below slots_.size()
};
