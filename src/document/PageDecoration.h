#pragma once
// The outer frame and the page-number label with its rule, drawn over every finished page.

#include "document/LayoutState.h"
#include "document/OutputSettings.h"

class TPrintPreview;

class PageDecoration {
public:
    PageDecoration(LayoutState& state, TPrintPreview& store, const TOutputSettings& settings);

    // Frame rectangle and FramePoints from the frame margins and the paper, truncated to dots.
    void CalcFrameGeometry();
    // PageNoX, PageNoY, PageNoRuleY from PageNoFormat measured on the canvas of the page just
    // begun, before the layout gives it a font of its own.
    void CalcPageNumberPosition();
    // Page number and rule (when DrawPageNumber is 1) and frame (when DrawOuterFrame is 1) on
    // the page being recorded; the canvas pen is left as it was.
    void DrawPageDecoration(int framePenWidth);

private:
    LayoutState& state_;
    TPrintPreview& store_;
    const TOutputSettings& settings_;
};
