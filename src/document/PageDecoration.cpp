#include "document/PageDecoration.h"

#include "pages/PageRecording.h"
#include "pages/PrintPreview.h"
#include "platform/TextToNumber.h"

namespace {

// Trunc(mm / 25.4 * dpi), exact in integers (25.4 mm = 254 tenths).
std::int32_t mmToDots(std::int32_t mm, std::int32_t dpi) {
    return std::int32_t(std::int64_t(mm) * dpi * 10 / 254);
}

// The page-number rule starts this far left of the label; the label ends this far left of the
// frame's right edge (measured in the starting font).
constexpr int ruleLeadDots = 50;
constexpr int labelGapDots = 100;
// The label ends 3 mm above the frame, its rule lies 2 mm above it.
constexpr int labelRiseMm = 3;
constexpr int ruleRiseMm = 2;

} // namespace

PageDecoration::PageDecoration(LayoutState& state, TPrintPreview& store,
                               const TOutputSettings& settings)
    : state_(state), store_(store), settings_(settings) {}

void PageDecoration::CalcFrameGeometry() {
    const TPrinterInfo& printer = state_.PrinterInfo;
    state_.FrameLeft = mmToDots(settings_.FrameLeftMarginMm, printer.DpiX);
    state_.FrameTop = mmToDots(settings_.FrameTopMarginMm, printer.DpiY);
    state_.FrameWidth = printer.PaperWidthDots - state_.FrameLeft -
                        mmToDots(settings_.FrameRightMarginMm, printer.DpiX);
    state_.FrameHeight = printer.PaperHeightDots - state_.FrameTop -
                         mmToDots(settings_.FrameBottomMarginMm, printer.DpiY);
    const int left = state_.FrameLeft, top = state_.FrameTop;
    const int right = left + state_.FrameWidth, bottom = top + state_.FrameHeight;
    state_.FramePoints = {QPoint(left, top), QPoint(right, top), QPoint(right, bottom),
                          QPoint(left, bottom), QPoint(left, top)};
}

void PageDecoration::calcPageNumberPosition() {
    // A scratch canvas at the page's resolution holds exactly the starting font, so the
    // position does not depend on what the layout did to the page canvas first.
    PageRecording scratch{QSize()};
    const RecordingCanvas fresh(scratch, store_.GetCanvas().dpiY());
    const int width = fresh.textWidth(state_.PageNoFormat);
    const int height = fresh.textHeight(state_.PageNoFormat);
    const int frameTop = state_.FramePoints[0].y();
    const int dpiY = state_.PrinterInfo.DpiY;
    state_.PageNoX = state_.FramePoints[1].x() - width - labelGapDots;
    state_.PageNoY = frameTop - mmToDots(labelRiseMm, dpiY) - height;
    state_.PageNoRuleY = frameTop - mmToDots(ruleRiseMm, dpiY);
}

QByteArray PageDecoration::pageNumberText() const {
    if (settings_.PageNumberStart == -1)
        return QByteArrayLiteral("Page      ");
    // In 64 bits: a first number near the top of the int range goes on counting up.
    return formatNumber(state_.PageNoFormat,
                        std::int64_t(store_.PageCount()) + settings_.PageNumberStart - 1);
}

void PageDecoration::DrawPageDecoration(int framePenWidth) {
    RecordingCanvas& canvas = store_.GetCanvas();
    const PenSpec saved = canvas.pen();
    canvas.setPenColor(colorRefToRgb(settings_.FrameColor));
    canvas.setPenWidth(state_.PenWidth);
    canvas.setPenStyle(PenStyle::Solid);

    if (settings_.DrawPageNumber == 1) {
        // The label is drawn in the current text font, over the canvas's opaque brush.
        canvas.setFont(state_.CurFont.Name, state_.CurFont.Size);
        canvas.textOut(state_.PageNoX, state_.PageNoY, pageNumberText());
        canvas.moveTo(state_.PageNoX - ruleLeadDots, state_.PageNoRuleY);
        canvas.lineTo(state_.FramePoints[1].x(), state_.PageNoRuleY);
        canvas.setFont(state_.CurFont.Name, state_.CurFont.Size);
    }
    if (settings_.DrawOuterFrame == 1) {
        canvas.setPenWidth(framePenWidth);
        canvas.moveTo(state_.FramePoints[0].x(), state_.FramePoints[0].y());
        for (size_t i = 1; i < state_.FramePoints.size(); ++i)
            canvas.lineTo(state_.FramePoints[i].x(), state_.FramePoints[i].y());
    }
    canvas.setPen(saved);
}

int PageDecoration::framePenWidth(const TOutputSettings& settings) {
    return text_to_number::intOr(QByteArrayView(settings.FrameLineWidthText.bytes()), 1);
}

QRgb PageDecoration::colorRefToRgb(std::uint32_t colorRef) {
    return qRgb(int(colorRef & 0xFF), int((colorRef >> 8) & 0xFF), int((colorRef >> 16) & 0xFF));
}

QByteArray PageDecoration::formatNumber(QByteArrayView format, std::int64_t n) {
    // Only the integer conversion the label format uses; a general printf with a format that
    // is data would read arguments that were never passed.
    QByteArray out;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%' || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        if (format[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        qsizetype j = i + 1;
        bool left = false, zero = false;
        for (; j < format.size() && (format[j] == '-' || format[j] == '0'); ++j)
            (format[j] == '-' ? left : zero) = true;
        int width = 0;
        for (; j < format.size() && format[j] >= '0' && format[j] <= '9' && width < 1000; ++j)
            width = width * 10 + (format[j] - '0');
        if (j >= format.size() || format[j] != 'd') {
            out += c; // not a conversion this label knows: keep the text
            continue;
        }
        QByteArray digits = QByteArray::number(n);
        if (digits.size() < width) {
            const qsizetype pad = width - digits.size();
            if (left)
                digits.append(QByteArray(pad, ' '));
            else if (zero)
                digits.insert(n < 0 ? 1 : 0, QByteArray(pad, '0'));
            else
                digits.prepend(QByteArray(pad, ' '));
        }
        out += digits;
        i = j;
    }
    return out;
}
