// A whole input file of arbitrary bytes: line splitting, then the layout at 36 dpi with the
// figure tags live (figure files from fuzz/figures, the working folder, named a.emf, b.wmf,
// c.bmp, d.jpg, e.bmp; see the dictionary), then every page replayed into a small picture
// the way the preview paints it.

#include "FuzzSupport.h"
#include "document/LayoutEngine.h"
#include "document/LineSplitter.h"
#include "pages/PrintPreview.h"

#include <QDir>
#include <QImage>
#include <QPainter>

#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzInitialiseOnce();
    static const bool inFigures = QDir::setCurrent(QStringLiteral(FOLIOSCOPE_FUZZ_FIGURES));
    (void)inFigures;
    if (size > 1 << 16)
        return 0;
    const QByteArrayList lines = SplitLines(QByteArrayView(data, qsizetype(size)));

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
    QImage picture(60, 85, QImage::Format_ARGB32_Premultiplied);
    for (int i = 0; i < store.PageCount() && i < 4; ++i) {
        picture.fill(Qt::white);
        QPainter painter(&picture);
        painter.scale(60.0 / 298, 85.0 / 421);
        store.GetPage(i).replay(painter);
    }
    return 0;
}
