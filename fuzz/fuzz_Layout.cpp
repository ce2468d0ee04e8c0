// A whole input file of arbitrary bytes: line splitting, then the layout at 36 dpi with the
// figure tags live (figure files from fuzz/figures, the working folder, named a.emf, b.wmf,
// c.bmp, d.jpg, e.bmp; see the dictionary), then the first pages replayed the way the preview
// paints them, at the scale the input's last byte chooses (0.01 to 4).

#include "FuzzSupport.h"
#include "document/LayoutEngine.h"
#include "document/LineSplitter.h"
#include "pages/PrintPreview.h"

#include <QDir>
#include <QPainter>

#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzInitialiseOnce();
    static const bool inFigures = QDir::setCurrent(QStringLiteral(FOLIOSCOPE_FUZZ_FIGURES));
    (void)inFigures;
    if (size > 1 << 16)
        return 0;
    const QByteArrayList lines = splitLines(QByteArrayView(data, qsizetype(size)));

    TOutputSettings settings;
    LayoutState state;
    state.PrinterInfo = TPrinterInfo::forPaper(QSizeF(210, 297), 36);
    TPrintPreview store;
    try {
        LayoutEngine engine(state, store, settings, nullptr);
        engine.CalcFrameGeometry();
        engine.LayoutDocument(lines);
    } catch (const std::exception&) {
        // A figure or store error ends the layout; the pages so far stay and are shown.
    }
    const double scale = fuzzReplayScale(data, size);
    for (int i = 0; i < store.PageCount() && i < 4; ++i) {
        QImage picture = fuzzReplayImage(298, 421, scale, 600, 850);
        QPainter painter(&picture);
        painter.scale(scale, scale * 1.01);
        store.GetPage(i).replay(painter);
    }
    return 0;
}
