#pragma once
// Which recorded pages one print job holds: page ranges (numbers from 1) and, of those, every
// page or only the odd or the even page numbers. The tool picks the pages itself and sends the
// job holding only those, so the print system must not pick again.

#include <QList>
#include <QPageRanges>

class QPrinter;

class PrintPages {
public:
    enum class Parity { Every, Odd, Even };

    QPageRanges Ranges; // empty: no page
    Parity Set = Parity::Every;

    // Pages first .. last; none when last is below first or first is below 1.
    static PrintPages range(int first, int last);
    // What an accepted print dialog asked of printer for a document of pageCount pages: all
    // pages, the page numbers typed (a range or a list such as "1,3,5-7") or the page shown
    // (currentPage, from 1), and the dialog's page set.
    static PrintPages chosenIn(const QPrinter& printer, int pageCount, int currentPage = 0);

    // The page numbers in ascending order. Ranges past the document's end are the caller's
    // to refuse first (this lists whatever the ranges name).
    QList<int> numbers() const;
    bool isEmpty() const { return Ranges.isEmpty(); }
};
