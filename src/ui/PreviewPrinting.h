#pragma once
// The preview window's output commands: the printer setup, the print dialog and the PDF file.
// Each confirmed printer choice lays the document out again for the printer (through the
// window) before anything is printed; what the dialogs chose is kept for the window's life.

#include <QString>
#include <functional>

struct LayoutState;
class QPageSetupDialog;
class QPrintDialog;
class QWidget;
class TPrintPreview;

class PreviewPrinting {
public:
    // How the dialogs run and how the PDF file is chosen (the window's seams, which tests
    // replace); the dialogs return their modal result, the chooser the path or "".
    struct Dialogs {
        std::function<int(QPageSetupDialog& dialog)>& ExecPrinterSetupDialog;
        std::function<int(QPrintDialog& dialog)>& ExecPrintDialog;
        std::function<QString(QWidget* parent, const QString& suggestedPath)>& ChoosePdfFile;
    };

    // window: the dialogs' parent; layoutForPrinter lays the pages out again for the current
    // printer (geometry, frame, layout, page shown); currentPage: the page shown, from 1, for
    // the dialog's "current page".
    PreviewPrinting(QWidget* window, TPrintPreview& store, const LayoutState& state,
                    Dialogs dialogs, std::function<void()> layoutForPrinter,
                    std::function<int()> currentPage);

    // The printer setup: confirmed, the document is laid out for the printer as chosen.
    void printerSetup();
    // The print dialog, then the pages it names, laid out anew for its printer, as one job.
    void print();
    // Every page into a PDF file chosen beside the report (reportFileName, may be empty).
    void writePdf(const QString& reportFileName);

private:
    QWidget* window_;
    TPrintPreview& store_;
    const LayoutState& state_;
    Dialogs dialogs_;
    std::function<void()> layoutForPrinter_;
    std::function<int()> currentPage_;
    // The print dialog's range kind (all pages, page numbers or the current page) and collate box,
    // kept for the life of the window: a new window starts with all pages, collated.
    int printRange_ = 0; // QAbstractPrintDialog::AllPages
    bool collate_ = true;
};
