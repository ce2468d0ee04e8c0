#pragma once
// Lays a document's lines out into recorded pages of the page store, from the first line to
// the last, every time something that affects the pages changes. Runs without any window.

#include <QByteArrayList>
#include <QRect>

#include "document/LayoutState.h"
#include "document/LineRenderer.h"
#include "document/OutputSettings.h"
#include "document/PageDecoration.h"

class LayoutProgress;
class TPrintPreview;

class LayoutEngine {
public:
    // state, store and settings must outlive the engine. progress may be null.
    LayoutEngine(LayoutState& state, TPrintPreview& store, const TOutputSettings& settings,
                 LayoutProgress* progress = nullptr);
    virtual ~LayoutEngine() = default;

    // Frame geometry for the current state.PrinterInfo and settings; run before a layout
    // whenever the printer or the margins changed.
    void CalcFrameGeometry() { decoration_.CalcFrameGeometry(); }

    // Records lines into the store (BeginDoc ... EndDoc). On an error the pages so far are
    // kept, the document is ended and the error is thrown on.
    void LayoutDocument(const QByteArrayList& lines);

    LayoutState& state() { return state_; }
    LineRenderer& renderer() { return renderer_; }
    PageDecoration& decoration() { return decoration_; }

    // Figure hooks: a host that knows the figure data overrides them and draws on the page
    // canvas; R is the anchor rectangle. They draw nothing here.
    virtual void DrawFigureKind7(int figureIndex, const QRect& r);
    virtual void DrawFigureKind5(int figureIndex, const QRect& r);
    virtual void DrawFigureKind2Sub8(int figureIndex, const QRect& r);
    virtual void DrawFigureKind2(int figureGroup, int figureKind, const QRect& r, int figureVariant,
                                 int figureIndex);
    virtual void DrawFigureKind1(int figureGroup, int mode, const QRect& r);
    virtual void AfterFigureText(int figureGroup, int figureVariant, int figureIndex, int a, int b,
                                 int c, int d);

protected:
    LayoutState& state_;
    TPrintPreview& store_;
    const TOutputSettings& settings_;
    LayoutProgress* progress_;
    LineRenderer renderer_;
    PageDecoration decoration_;
};
