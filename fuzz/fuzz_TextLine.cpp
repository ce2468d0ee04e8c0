// One text line of arbitrary bytes: NextRun over the whole line, then DrawTextLine and the
// rule flush on a page, as the layout draws a line.

#include "FuzzSupport.h"
#include "document/LayoutState.h"
#include "document/LineRenderer.h"
#include "document/OutputSettings.h"
#include "document/RunScanner.h"
#include "pages/PrintPreview.h"

#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzInitialiseOnce();
    if (size > 1 << 16)
        return 0;
    const QByteArrayView line(data, qsizetype(size));
    int pos = 1;
    for (int guard = 0; pos <= line.size(); ++guard) {
        const int before = pos;
        (void)NextRun(line, pos);
        if (pos <= before || guard > line.size() + 1)
            __builtin_trap(); // the scanner must always move on
    }

    static LayoutState state = [] {
        LayoutState s;
        s.PrinterInfo = TPrinterInfo::forPaper(QSizeF(210, 297), 72);
        return s;
    }();
    static TOutputSettings settings;
    try {
        TPrintPreview store;
        store.setReferenceDevice(state.PrinterInfo);
        store.BeginDoc();
        LineRenderer renderer(state, store, settings);
        renderer.clearRules();
        renderer.SelectFont(2);
        const QRect cursor(0, 0, 500, 700);
        renderer.DrawTextLine(line, cursor, 36, 36);
        renderer.DrawTextLine(line, cursor.translated(0, 12), 36, 36);
        renderer.FlushRules(cursor.translated(0, 24), 36);
        store.EndDoc();
    } catch (const std::exception&) {
    }
    return 0;
}
