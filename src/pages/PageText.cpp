#include "pages/PageText.h"

#include <array>
#include <memory>

#include "pages/CachedFont.h"
#include "pages/PageRecording.h"
#include "pages/TextFolder.h"
#include "platform/Cp932.h"

namespace {

// Every code page 932 character code (a single byte, or lead byte << 8 | trail byte) as one
// UTF-16 unit, decoded and folded, filled once from the code page decoder and TextFolder, so
// that pages decode and fold by table lookup. Only the half-width voiced marks, which may join
// the kana before them, keep their unfolded form and go through TextFolder one by one.
class Cp932Table {
public:
    Cp932Table() {
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            fill(std::size_t(b), QByteArrayView(&byte, 1));
            if (!cp932::isLeadByte(static_cast<unsigned char>(b)))
                continue;
            for (int t = 0; t < 256; ++t) {
                const char pair[2] = {char(b), char(t)};
                fill(std::size_t(b << 8 | t), QByteArrayView(pair, 2));
            }
        }
    }
    QChar folded(quint16 code) const { return QChar(folded_[code]); }
    QChar decoded(quint16 code) const { return QChar(decoded_[code]); }

private:
    void fill(std::size_t code, QByteArrayView bytes) {
        const QString s = cp932::decode(bytes);
        const QChar c = s.size() == 1 ? s.at(0) : QChar(QChar::ReplacementCharacter);
        decoded_[code] = c.unicode();
        if (isVoicedMark(c)) {
            folded_[code] = c.unicode();
            return;
        }
        QString folded;
        TextFolder::append(folded, c);
        folded_[code] = folded.size() == 1 ? folded.at(0).unicode() : c.unicode();
    }

public:
    static bool isVoicedMark(QChar c) { return c.unicode() == 0xFF9E || c.unicode() == 0xFF9F; }

private:
    std::array<char16_t, 65536> folded_{};
    std::array<char16_t, 65536> decoded_{};
};

const Cp932Table& table() {
    static const auto t = std::make_unique<Cp932Table>();
    return *t;
}

} // namespace

PageText::PageText(const PageRecording& page, Places places, Folding folding) {
    const Cp932Table& decode = table();
    const bool withPlaces = places == Places::With;
    const bool fold = folding == Folding::Folded;
    const auto separate = [&](char16_t c) {
        if (!text_.isEmpty() && text_.back() != QChar(u'\n')) {
            text_.append(QChar(c));
            if (withPlaces)
                places_.emplace_back();
        }
    };

    qsizetype bytes = 0;
    for (std::size_t i = 0; i < page.textRunCount(); ++i)
        bytes += page.textRun(i).bytes.size() + 1;
    text_.reserve(bytes);
    if (withPlaces)
        places_.reserve(std::size_t(bytes));

    int lineTop = 0, lineBottom = -1; // the first run's band of the line being read
    int lineEnd = 0;                  // where the last run of that line ended
    for (std::size_t i = 0; i < page.textRunCount(); ++i) {
        const PageRecording::TextRun run = page.textRun(i);
        if (run.bytes.isEmpty())
            continue;
        // A run belongs to the line when its middle lies in the line's band (raised and
        // lowered scripts do) and it does not go back to the left; a gap between runs of one
        // line (table columns) is one blank.
        const int middle = run.topLeft.y() + run.box.height() / 2;
        const int cell = std::max(1, run.cellWidth);
        const bool sameLine =
            middle >= lineTop && middle < lineBottom && run.topLeft.x() >= lineEnd - cell / 2;
        if (!sameLine) {
            separate(u'\n');
            lineTop = run.topLeft.y();
            lineBottom = run.topLeft.y() + std::max(1, run.box.height());
        } else if (run.topLeft.x() > lineEnd + cell / 2) {
            separate(u' ');
        }
        int x = run.topLeft.x();
        forEachCp932Char(run.bytes, [&](quint16 code, qsizetype, int byteCount) {
            const int advance = byteCount * run.cellWidth + run.extraSpacing;
            const QRect box(x, run.topLeft.y(), byteCount * run.cellWidth,
                            std::max(1, run.box.height()));
            const QChar c = fold ? decode.folded(code) : decode.decoded(code);
            bool added = true;
            if (fold && Cp932Table::isVoicedMark(c))
                added = TextFolder::append(text_, c);
            else
                text_.append(c);
            if (added) {
                if (withPlaces)
                    places_.push_back(box);
            } else if (withPlaces && !places_.empty()) {
                places_.back() = places_.back().united(box); // a mark joined the kana before it
            }
            x += advance;
        });
        lineEnd = x;
    }
}

QList<QRect> PageText::boxes(qsizetype from, qsizetype length) const {
    QList<QRect> out;
    const qsizetype end = std::min<qsizetype>(from + length, qsizetype(places_.size()));
    for (qsizetype i = std::max<qsizetype>(from, 0); i < end; ++i) {
        const QRect& box = places_[std::size_t(i)];
        if (box.isNull())
            continue;
        if (!out.isEmpty() && out.back().top() == box.top() &&
            box.left() <= out.back().right() + 1 + box.width())
            out.back() = out.back().united(box);
        else
            out.append(box);
    }
    return out;
}
