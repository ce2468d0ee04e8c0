#include "ui/PreviewPrinting.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>

#include "document/LayoutState.h"
#include "pages/CurrentPrinter.h"
#include "pages/PagePdfWriter.h"
#include "pages/PagePrinter.h"
#include "pages/PagesErrors.h"
#include "pages/PrintPreview.h"
#include "ui/FormPrintProgress.h"
#include "ui/MessageBoxes.h"

PreviewPrinting::PreviewPrinting(QWidget* window, TPrintPreview& store, const LayoutState& state,
                                 Dialogs dialogs, std::function<void()> layoutForPrinter,
                                 std::function<int()> currentPage)
    : window_(window), store_(store), state_(state), dialogs_(dialogs),
      layoutForPrinter_(std::move(layoutForPrinter)), currentPage_(std::move(currentPage)) {}

void PreviewPrinting::printerSetup() {
    QPrinter& printer = current_printer::get();
    const QString queue = printer.printerName();
    QPageSetupDialog dialog(&printer, window_);
    if (dialogs_.ExecPrinterSetupDialog(dialog) != QDialog::Accepted)
        return; // the dialog changes the printer only when accepted
    current_printer::followQueue(printer, queue);
    layoutForPrinter_();
}

void PreviewPrinting::print() {
    // An empty printer list and a refusal after it tell the user nothing; say why first.
    if (current_printer::nowhereToPrint()) {
        ShowWarning(window_, QString::fromUtf8(pages_errors::NoPrinterSetUp));
        return;
    }
    QPrinter& printer = current_printer::get();
    const QString queue = printer.printerName();
    QPrintDialog dialog(&printer, window_);
    dialog.setOptions(
        QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintCurrentPage |
        QAbstractPrintDialog::PrintCollateCopies | QAbstractPrintDialog::PrintShowPageSize);
    const int count = std::max(store_.PageCount(), 1);
    dialog.setMinMax(1, count);
    dialog.setFromTo(1, count);
    dialog.setPrintRange(QAbstractPrintDialog::PrintRange(printRange_));
    printer.setCollateCopies(collate_);
    if (dialogs_.ExecPrintDialog(dialog) != QDialog::Accepted)
        return;
    printRange_ = dialog.printRange();
    collate_ = printer.collateCopies();

    // The printer and its settings as chosen (copies included) are the current printer's now;
    // the pages are laid out for it before anything is printed. All pages are those of the
    // new layout; page numbers (a range, or a list such as "1,3,5-7") are taken as typed.
    current_printer::followQueue(printer, queue);
    layoutForPrinter_();
    // The page shown is read after the new layout, which clamps it to the new page count.
    const PrintPages pages = PrintPages::chosenIn(printer, store_.PageCount(), currentPage_());
    TFormPrintProgress progress(window_, QStringLiteral("印刷中..."));
    page_printer::print(store_, printer, state_.PrinterInfo, pages, &progress);
}

void PreviewPrinting::writePdf(const QString& reportFileName) {
    if (store_.PageCount() < 1)
        return; // nothing laid out, nothing to write
    const QFileInfo input(reportFileName);
    const QString suggested =
        reportFileName.isEmpty()
            ? QString()
            : input.dir().filePath(input.completeBaseName() + QStringLiteral(".pdf"));
    const QString path = dialogs_.ChoosePdfFile(window_, suggested);
    if (path.isEmpty())
        return;
    TFormPrintProgress progress(window_, QStringLiteral("PDF出力中..."));
    page_pdf::PdfDocument document;
    document.title = input.fileName();
    document.outline = store_.outline();
    page_pdf::write(store_, path, &progress, document);
}
