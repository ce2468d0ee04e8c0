#include "document/RunScanner.h"

#include <iterator>

#include "platform/Cp932.h"

namespace {

// Full-width space: what a box mark or a light rule leaves in the run, one blank double cell.
constexpr char fullWidthSpace[] = "\x81\x40";

constexpr quint16 heavyHorizontal = 0x84AA; // "━"
constexpr quint16 lightHorizontal = 0x849F; // "─"
constexpr quint16 lightVertical = 0x84A0;   // "│"

// Box marks in the order they are tested; the kind of the i-th is RunBoxFirst + i.
constexpr quint16 boxMarks[] = {
    0x84AC, // "┏"
    0x84B4, // "╋"
    0x84A1, // "┌"
    0x84A2, // "┐"
    0x84A4, // "└"
    0x84A3, // "┘"
    0x84A6, // "┬"
    0x84A8, // "┴"
    0x84A5, // "├"
    0x84A7, // "┤"
    0x84A9, // "┼"
};
static_assert(std::size(boxMarks) == RunBoxLast - RunBoxFirst + 1);

int boxMarkKind(quint16 code) {
    for (int i = 0; i < int(std::size(boxMarks)); ++i)
        if (boxMarks[i] == code)
            return RunBoxFirst + i;
    return -1;
}

bool isSuperOrSub(int kind) {
    return kind == RunSuperscript || kind == RunSubscript;
}

// The letters "SPAN" in any letter case at byte offset `at` of line.
bool spanAt(QByteArrayView line, qsizetype at) {
    static constexpr char span[] = "SPAN";
    if (at < 0 || at + 4 > line.size())
        return false;
    for (int i = 0; i < 4; ++i) {
        const char c = line[at + i];
        if (c != span[i] && c != span[i] + ('a' - 'A'))
            return false;
    }
    return true;
}

} // namespace

Run NextRun(QByteArrayView line, int& pos) {
    Run run;
    const int length = int(line.size());
    bool visible = length == 0;
    bool toSpace = false;
    bool quotedTag = false;
    bool spanOpen = false;
    bool spanClose = false;
    // Byte at a 1-based position, 0 past the end.
    const auto at = [&](int p) -> unsigned char {
        return p >= 1 && p <= length ? static_cast<unsigned char>(line[p - 1]) : 0;
    };

    while (pos <= length) {
        const unsigned char c = at(pos);
        if (cp932::isLeadByte(c)) {
            // A lead byte at the very end is taken with a missing trail byte: its one byte
            // goes into the run and pos moves past the end.
            const bool complete = pos < length;
            const quint16 code = complete ? quint16((c << 8) | at(pos + 1)) : quint16(c << 8);
            const QByteArrayView bytes = line.sliced(pos - 1, complete ? 2 : 1);
            if (const int kind = complete ? boxMarkKind(code) : -1; kind >= 0) {
                run.text += fullWidthSpace;
                run.kind = kind;
                pos += 2;
                break;
            }
            if (complete && code == lightHorizontal) {
                run.text += fullWidthSpace;
                pos += 2;
                continue;
            }
            if (complete && code == lightVertical) {
                if (run.kind == RunRule)
                    break;
                run.text += fullWidthSpace;
                pos += 2;
                continue;
            }
            if (complete && code == heavyHorizontal) {
                visible = true;
                if (run.text.isEmpty()) {
                    run.kind = RunRule;
                } else if (run.kind != RunRule) {
                    break;
                }
                run.text += bytes;
                pos += 2;
                continue;
            }
            // Any other double-byte character; the row of 0x81 (full-width space, punctuation,
            // symbols) alone does not make a run visible.
            if (c != 0x81)
                visible = true;
            if (run.kind == RunRule)
                break;
            run.text += bytes;
            pos += 2;
            continue;
        }

        if (c != ' ')
            visible = true;
        const unsigned char next = at(pos + 1);

        if (c == '!' || c == '^' || c == '?' || c == '"') {
            if (run.kind == RunRule)
                break;
            if (next == c && c != '!') {
                // Doubled mark: the mark character itself.
                run.text += char(c);
                pos += 2;
                continue;
            }
            if (!run.text.isEmpty()) {
                // A closing "?" or double quote of a super- or subscript is consumed; "!" and
                // "^" stay to open the next run.
                if ((c == '?' || c == '"') && isSuperOrSub(run.kind))
                    pos += 1;
                break;
            }
            switch (c) {
            case '!':
                run.kind = RunSubscript;
                toSpace = true;
                break;
            case '^':
                run.kind = RunSuperscript;
                toSpace = true;
                break;
            case '?':
                run.kind = RunSubscript;
                break;
            default:
                run.kind = RunSuperscript;
                break;
            }
            pos += 1;
            continue;
        }

        if (run.kind == RunRule)
            break;
        if (next == c && (c == '$' || c == '<' || c == '>')) {
            run.text += char(c);
            pos += 2;
            continue;
        }
        if (c == ' ') {
            if (toSpace && isSuperOrSub(run.kind)) {
                if (!run.text.isEmpty()) {
                    // The space that ends a "^" or "!" run is swallowed.
                    pos += 1;
                    break;
                }
            }
            run.text += ' ';
            pos += 1;
            continue;
        }
        if (c == '<') {
            if (!run.text.isEmpty())
                break;
            if (pos < length) {
                quotedTag = next == '\'';
                spanOpen = spanAt(line, pos); // the four bytes after "<"
                spanClose = next == '/' && spanAt(line, pos + 1);
            }
        }
        run.text += char(c);
        if (c == '>' && pos > 1) {
            int kind = -1;
            if (at(pos - 1) == '\'') {
                if (quotedTag)
                    kind = RunQuotedTag;
                else if (spanOpen)
                    kind = RunSpanOpen;
            } else if (spanOpen) {
                kind = RunSpanOpen;
            } else if (spanClose) {
                kind = RunSpanClose;
            }
            if (kind >= 0) {
                run.kind = kind;
                pos += 1;
                break;
            }
        }
        pos += 1;
    }

    run.endOfLine = pos > length;
    if (!visible)
        run.text.clear();
    return run;
}
