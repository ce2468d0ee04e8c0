#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/PdfExport.h"
#include "app/QtTranslations.h"
#include "platform/FontSubstitution.h"

int main(int argc, char** argv) {
    if (pdf_export::requested(argc, argv))
        return pdf_export::run(argc, argv);
    Application app(argc, argv);
    InstallQtTranslations(app);
    font_substitution::install();
    return CommandLine(QApplication::arguments()).run();
}
