#include <QCoreApplication>
#include <optional>

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/DisplayGuard.h"
#include "app/PdfExport.h"
#include "app/ProgramOptions.h"
#include "app/QtTranslations.h"
#include "platform/AllocatorTuning.h"
#include "platform/FontSubstitution.h"

int main(int argc, char** argv) {
    allocator_tuning::keepLargeBuffers();
    // Every option is read before a window system is touched, so that help, version, usage
    // errors and the export work the same on a machine without a display.
    const ProgramOptions options = ProgramOptions::parse(argc, argv);
    switch (options.mode) {
    case ProgramOptions::Mode::Export:
        return pdf_export::run(argc, argv, options.Export);
    case ProgramOptions::Mode::Help:
    case ProgramOptions::Mode::Version:
    case ProgramOptions::Mode::Usage: {
        const QCoreApplication core(argc, argv); // for the help text's program name only
        return options.printMessage();
    }
    case ProgramOptions::Mode::Window:
        break;
    }
    if (const QString reason = display_guard::missingDisplay(); !reason.isEmpty())
        return display_guard::reportNoWindow(reason);
    std::optional<display_guard::Guard> guard(std::in_place);
    Application app(argc, argv);
    guard.reset();
    InstallQtTranslations(app);
    font_substitution::install();
    return CommandLine(QApplication::arguments()).run();
}
