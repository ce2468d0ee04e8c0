#pragma once
// The figure-parameter line that closes a figure block: "Fig", one separator byte, then up to
// three blank-separated signed decimal numbers (group and variant, index, kind).

#include <QByteArrayView>
#include <cstdint>

struct FigureLine {
    bool IsFigureLine = false;       // the line is not empty and starts with "Fig"
    std::int32_t FigureVariant = -1; // 1st number mod 100
    std::int32_t FigureIndex = -1;   // 2nd number
    std::int32_t FigureKind = -1;    // 3rd number; 0 = the block has no figure
    std::int32_t FigureGroup = 1;    // 1st number div 100, 1 where that is 0
};

// Reads a figure-parameter line. Fields that are missing or not whole decimal integers
// (optional sign, digits, 32-bit range) keep their defaults. Lines of any length are read
// whole; bytes after the third field are ignored.
FigureLine ParseFigureLine(QByteArrayView line);
