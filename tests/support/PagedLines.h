#pragma once
// A report of count pages, each with one text line ("Page text N"), separated by page ends.

#include <QByteArrayList>

inline QByteArrayList pagedLines(int count) {
    QByteArrayList lines;
    for (int i = 1; i <= count; ++i) {
        if (i > 1)
            lines << "<Page-End>";
        lines << "Page text " + QByteArray::number(i);
    }
    return lines;
}
