#include "pages/PrintPages.h"

#include <QPrintEngine>
#include <QPrinter>

#include "pages/CupsJob.h"

PrintPages PrintPages::range(int first, int last) {
    PrintPages pages;
    if (first >= 1 && last >= first)
        pages.Ranges.addRange(first, last);
    return pages;
}

PrintPages PrintPages::chosenIn(const QPrinter& printer, int pageCount, int currentPage) {
    const bool pageNumbers = printer.printRange() == QPrinter::PageRange;
    PrintPages pages = range(1, pageCount);
    if (printer.printRange() == QPrinter::CurrentPage) {
        pages = currentPage <= pageCount ? range(currentPage, currentPage) : PrintPages();
    } else if (pageNumbers) {
        pages.Ranges = printer.pageRanges();
        if (pages.Ranges.isEmpty())
            pages = range(printer.fromPage(), printer.toPage());
    }

    // Qt's dialog hands the odd/even choice to the print system as the "page-set" option, and
    // swaps odd and even when a range starts on an even page, for a job cut to start there.
    // The job here holds only the chosen pages, so the choice is taken back to the document's
    // own page numbers and applied here.
    const QByteArray set = cups_job::dialogOption(printer, "page-set");
    if (!pages.isEmpty() && (set == "odd" || set == "even")) {
        const bool swapped = pageNumbers && pages.Ranges.firstPage() % 2 == 0;
        pages.Set = (set == "odd") != swapped ? Parity::Odd : Parity::Even;
    }
    return pages;
}

QList<int> PrintPages::numbers() const {
    QList<int> numbers;
    for (const QPageRanges::Range& r : Ranges.toRangeList())
        for (int page = r.from; page <= r.to; ++page)
            if (Set == Parity::Every || (page % 2 == 1) == (Set == Parity::Odd))
                numbers.append(page);
    return numbers;
}
