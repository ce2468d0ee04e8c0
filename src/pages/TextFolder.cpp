#include "pages/TextFolder.h"

namespace {

constexpr char16_t CombiningVoiced = 0x3099;
constexpr char16_t CombiningSemiVoiced = 0x309A;
constexpr char16_t SpacingVoiced = 0x309B;
constexpr char16_t SpacingSemiVoiced = 0x309C;

// Latin letters in the blocks up to IPA extensions: their case folds. Greek, Cyrillic and the
// rest keep their case, as a Japanese report uses them for symbols (Σ, σ) that differ by it.
bool isLatinLetter(char16_t c) {
    return c < 0x250 && QChar::isLetter(c);
}

// The kana with its voiced (or semi-voiced) mark as one character, or 0 when there is none.
char16_t composed(QChar kana, char16_t mark) {
    if (kana.unicode() < 0x3041 || kana.unicode() > 0x30FF)
        return 0;
    QString pair(kana);
    pair.append(QChar(mark));
    const QString one = pair.normalized(QString::NormalizationForm_C);
    return one.size() == 1 ? one.at(0).unicode() : 0;
}

} // namespace

bool TextFolder::append(QString& out, QChar c) {
    char16_t u = c.unicode();
    if (u < 0x80) {
        out.append(QChar(u >= 'A' && u <= 'Z' ? char16_t(u + 0x20) : u));
        return true;
    }
    // Full-width ASCII, the ideographic space, half-width katakana and the other narrow or
    // wide forms become their ordinary form (one character each).
    if (u == 0x3000 || (u >= 0xFF01 && u <= 0xFFEE)) {
        const QChar::Decomposition tag = c.decompositionTag();
        if (tag == QChar::Wide || tag == QChar::Narrow) {
            const QString d = c.decomposition();
            if (d.size() == 1)
                u = d.at(0).unicode();
        }
    }
    if (u == CombiningVoiced || u == CombiningSemiVoiced) {
        if (!out.isEmpty()) {
            if (const char16_t k = composed(out.back(), u)) {
                out.back() = QChar(k);
                return false;
            }
        }
        // A mark on its own is the spacing mark of full-width text.
        u = u == CombiningVoiced ? SpacingVoiced : SpacingSemiVoiced;
    }
    if (u < 0x80 && u >= 'A' && u <= 'Z')
        u = char16_t(u + 0x20);
    else if (u >= 0x80 && isLatinLetter(u))
        u = QChar::toCaseFolded(u);
    out.append(QChar(u));
    return true;
}

QString TextFolder::fold(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text)
        append(out, c);
    return out;
}
