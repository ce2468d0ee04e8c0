#pragma once
// Lays a document's lines out into recorded pages of the page store, from the first line to
// the last, every time something that affects the pages changes. Runs without any window.

#include <QByteArrayList>
#include <QRect>
#include <QSize>
#include <memory>

#include "document/FigurePathResolver.h"
#include "document/LayoutState.h"
#include "document/LineRenderer.h"
#include "document/OutlineCollector.h"
#include "document/OutputSettings.h"
#include "document/PageDecoration.h"

class FigurePrefetch;
class LayoutProgress;
class TPrintPreview;
struct LoadedFigure;
enum class FigureFormat;

class LayoutEngine {
public:
    // state, store and settings must outlive the engine. progress may be null.
    LayoutEngine(LayoutState& state, TPrintPreview& store, const TOutputSettings& settings,
                 LayoutProgress* progress = nullptr);
    virtual ~LayoutEngine();

    // Frame geometry for the current state.PrinterInfo and settings; run before a layout
    // whenever the printer or the margins changed.
    void CalcFrameGeometry() { decoration_.CalcFrameGeometry(); }

    // Records lines into the store (BeginDoc ... EndDoc), made against state.PrinterInfo as the
    // store's reference device, and leaves the outline of what was drawn in the store. On an
    // error the pages so far (and their outline) are kept, the document is ended and the error
    // is thrown on.
    void LayoutDocument(const QByteArrayList& lines);

    LayoutState& state() { return state_; }
    LineRenderer& renderer() { return renderer_; }
    PageDecoration& decoration() { return decoration_; }
    void setProgress(LayoutProgress* progress) { progress_ = progress; }
    // Worker threads that decode bitmap and JPEG figures ahead of the layout (FigurePrefetch);
    // 0 loads each figure only when the layout reaches it. Default: one per processor.
    void setFigureDecodeThreads(int threads) { figureDecodeThreads_ = threads; }

    // The extra pitch factor of the three lines of a fraction.
    static constexpr double FractionFactor = 0.65;
    // Height in line pitches of the area given to the figure hooks of kinds 2, 6 and 9.
    static constexpr int FigureAreaLines = 15;

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
    // Figure tags (LayoutFigures.cpp). Both are entered with LineIndex on the tag line and
    // leave it on the last line they consumed (the main loop steps past it). A figure file
    // takes its name line (an index error when it is missing), loads and draws the file; a
    // figure block takes its text lines and the figure-parameter line (or everything up to
    // the end), draws the text lines and hands the figure to the hooks.
    virtual void handleFigureFile();
    virtual void handleFigureBlock();

    // Where figures hang: x the frame's centre line, y the top of the next line.
    QPoint FigureAnchor() const;
    // The anchor rectangle of a figure block under its text lines, given to the hook for kind.
    void FigureDispatch(int kind, int figureVariant, int figureIndex, int figureKind,
                        int figureGroup, double placementFactor);
    // Cursor := (0, UsedHeight, TextWidthDots, TextHeightDots).
    void resetCursorToUsedHeight();
    // The figure file of the tag at tagLine, found at path: decoded ahead or loaded now. A
    // loader's error is thrown as a FigureFileError naming the file and the name line.
    LoadedFigure loadFigureFile(qsizetype tagLine, const QString& path, FigureFormat format);
    // "<emfファイル0>": width × height scaled to the frame width or the room left below the
    // position; false when there is no room (or no frame) and nothing is drawn.
    bool fitToRoom(std::int32_t& width, std::int32_t& height) const;
    // A loaded figure drawn into rect on the page being recorded; size is its size in dots.
    void drawFigureFile(const LoadedFigure& figure, const QRect& rect, QSize size);

    // The line at index; an operand line past the end raises the line list's index error.
    const QByteArray& lineAt(qsizetype index) const;
    // Nearest(abs(FontHeightDots) * PitchFactor * factor), halves to even.
    std::int32_t pitchDots(double factor = 1.0) const;
    // FlushRules, then the decoration; a page is finished once.
    void finishPage();
    // Page store NewPage; the cursor and the used height go back to the top.
    void startNewPage();
    // The held title lines at the current position, with the pitch tags among them.
    void DrawHeldLines();
    // One line drawn at the cursor, which then moves down by LinePitch.
    void drawAndAdvance(QByteArrayView line);

    LayoutState& state_;
    TPrintPreview& store_;
    const TOutputSettings& settings_;
    LayoutProgress* progress_;
    LineRenderer renderer_;
    PageDecoration decoration_;

    // Running state of one layout.
    const QByteArrayList* lines_ = nullptr;
    qsizetype LineIndex = 0;
    QRect Cursor;             // (0, top of the next line, TextWidthDots, TextHeightDots)
    double PitchFactor = 1.2; // LinePitchFactor or TablePitchFactor
    QByteArrayList HeldLines; // title lines repeated at continuation pages
    // Figure names, from state.ReportFolder; made anew for every layout.
    FigurePathResolver figurePaths_;
    std::int32_t FramePenWidth = 1;
    int figureDecodeThreads_;
    // Figures decoded ahead during one layout.
    std::unique_ptr<FigurePrefetch> prefetch_;

private:
    void startFigurePrefetch(const QByteArrayList& lines);
    // LayoutDocument's steps: the state and store made ready, page 1's canvas and the running
    // state, one line of the main flow by its role, and the document ended (also on errors).
    void beginLayout(const QByteArrayList& lines);
    void setUpFirstPage();
    void handleLine(QByteArrayView line);
    void endLayout(bool progressShown);
    // A font tag: the renderer's font and the outline's chapter runs.
    void selectFont(int index);
    void computePageGeometry();
    void handleTitleBlock();
    void handleKeepTogether();
    void handlePageEnd();
    void handleFraction();
    void handleTextLine();

    OutlineCollector outline_;
    bool pageFinished_ = false;
    qsizetype lastStepBack_ = -1; // line last repeated at a page top because it opened rules
};
