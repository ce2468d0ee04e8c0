#pragma once
// The state that the layout engine, the line renderer, the page decoration and the figure
// handlers share while a document is laid out: printer and frame geometry, page geometry and
// the running state of the current page. Owned by whoever hosts a layout (the preview window,
// the command-line export); the layout classes keep a reference to it.

#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QString>
#include <array>
#include <cstdint>

#include "pages/PrinterInfo.h"

// The current text font: face and size in points. The font tags change it in place, and the
// page number is drawn in it.
struct TextFont {
    QString Name;
    int Size = 9;
};

// A figure file that a report names but that was not found (the figure was skipped).
struct MissingFigure {
    QString name;       // as the report writes it
    qsizetype line = 0; // of the name line, from 1
};

struct LayoutState {
    TPrinterInfo PrinterInfo;

    // Outer frame (CalcFrameGeometry, millimetres truncated to dots). FrameWidth is
    // overwritten by the layout start with its own rounding.
    std::int32_t FrameLeft = 0;
    std::int32_t FrameTop = 0;
    std::int32_t FrameWidth = 0;
    std::int32_t FrameHeight = 0;
    std::array<QPoint, 5> FramePoints{}; // top-left, top-right, bottom-right, bottom-left, top-left

    // Page geometry, computed at every layout start.
    std::int32_t LeftMarginDots = 0;
    std::int32_t TextLeftDots = 0;
    std::int32_t TextTopDots = 0;
    std::int32_t TextWidthDots = 0;
    std::int32_t TextHeightDots = 0;
    std::int32_t PageNoX = 0;
    std::int32_t PageNoY = 0;
    std::int32_t PageNoRuleY = 0;

    // Running state of the page being laid out.
    std::int32_t UsedHeight = 0;
    std::int32_t LinePitch = 0;
    std::int32_t LastLinePitch = 0;
    std::int32_t FontHeightDots = 0;
    bool TitleContinued = false;
    bool BoxLineSeen = false;
    TextFont CurFont;

    std::int32_t PenWidth = 1;               // pen width of drawn rules
    QByteArray PageNoFormat = "Page  %-4d "; // page-number label format

    // Figures.
    std::int32_t FigureTextHeight = 0;
    std::int32_t FigureHeight = 0;
    QString FigureFolder;
    std::int32_t DataKind = 1;
    // Folder of the report file: relative figure names are looked up there first, then in
    // the working directory. Empty: the working directory only.
    QString ReportFolder;
    // Figure files named but not found by the last layout, in report order.
    QList<MissingFigure> MissingFigures;
};
