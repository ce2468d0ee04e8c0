#pragma once
// The outer frame and the page-number label with its rule, drawn over every finished page.

#include <QByteArray>
#include <QByteArrayView>
#include <QRgb>
#include <cstdint>

#include "document/LayoutState.h"
#include "document/OutputSettings.h"

class TPrintPreview;

class PageDecoration {
public:
    PageDecoration(LayoutState& state, TPrintPreview& store, const TOutputSettings& settings);

    // Frame rectangle and FramePoints from the frame margins and the paper, truncated to dots.
    void CalcFrameGeometry();
    // PageNoX, PageNoY, PageNoRuleY from PageNoFormat itself measured in the font a new page's
    // canvas starts with (9 points, default face), whatever font the canvas holds now. Needs
    // an open document.
    void calcPageNumberPosition();
    // Page number and rule (when DrawPageNumber is 1) and frame (when DrawOuterFrame is 1) on
    // the page being recorded; the canvas pen is left as it was.
    void DrawPageDecoration(int framePenWidth);

    // The label of the page being recorded: PageNoFormat with PageCount + PageNumberStart - 1,
    // or the word alone when PageNumberStart is -1.
    QByteArray pageNumberText() const;

    // FrameLineWidthText as an integer, 1 when it is not one.
    static int framePenWidth(const TOutputSettings& settings);
    // A colour stored as 0x00BBGGRR.
    static QRgb colorRefToRgb(std::uint32_t colorRef);
    // format with its one integer conversion ("%d", "%-4d", "%05d") replaced by n; "%%" is a
    // percent sign, anything else is copied as it stands.
    static QByteArray formatNumber(QByteArrayView format, std::int64_t n);

private:
    LayoutState& state_;
    TPrintPreview& store_;
    const TOutputSettings& settings_;
};
