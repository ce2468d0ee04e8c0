#pragma once
// Splits one text line into runs: plain text, superscripts and subscripts opened by marks,
// heavy rule runs, and text ending at a box mark or an in-line tag.

#include <QByteArray>
#include <QByteArrayView>

// Kinds of run. 0 plain, 1 superscript, 2 subscript, 3 rule run of "━", 5 text ending with a
// quoted tag, 6 with a SPAN tag, 7 with a closing SPAN tag, 8..18 text ending with the box
// marks "┏" "╋" "┌" "┐" "└" "┘" "┬" "┴" "├" "┤" "┼" in that order.
enum RunKind : int {
    RunPlain = 0,
    RunSuperscript = 1,
    RunSubscript = 2,
    RunRule = 3,
    RunQuotedTag = 5,
    RunSpanOpen = 6,
    RunSpanClose = 7,
    RunBoxFirst = 8,
    RunBoxLast = 18,
    // The box marks one by one.
    RunHeavyTopLeft = 8, // "┏"
    RunHeavyCross = 9,   // "╋"
    RunTopLeft = 10,     // "┌"
    RunTopRight = 11,    // "┐"
    RunBottomLeft = 12,  // "└"
    RunBottomRight = 13, // "┘"
    RunTopTee = 14,      // "┬"
    RunBottomTee = 15,   // "┴"
    RunLeftTee = 16,     // "├"
    RunRightTee = 17,    // "┤"
    RunCross = 18,       // "┼"
};

struct Run {
    QByteArray text;
    int kind = RunPlain;
    bool endOfLine = false;
};

// Scans one run of line from the 1-based byte position pos and moves pos past what it took.
Run NextRun(QByteArrayView line, int& pos);
