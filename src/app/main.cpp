#include <QApplication>

#include "app/PdfExport.h"
#include "platform/FontSubstitution.h"

int main(int argc, char** argv) {
    if (pdf_export::requested(argc, argv))
        return pdf_export::run(argc, argv);
    QApplication app(argc, argv);
    font_substitution::install();
    return 0;
}
