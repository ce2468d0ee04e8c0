#pragma once
// The whole command line, read before any application object or window system exists:
//   folioscope [FILE]                    the main window, opening FILE at start
//   folioscope --pdf OUT.pdf [...] IN    export without a window (PdfExportOptions)
//   folioscope --outline [...] IN        the outline of the pages on stdout
//   folioscope --help | --version
// Every option belongs to PdfExportOptions; this class only decides which mode the arguments
// ask for, so that a new export option needs no change here.

#include <QString>
#include <QStringList>

#include "app/PdfExportOptions.h"

struct ProgramOptions {
    enum class Mode {
        Window,  // the main window; FileName is the file to open at start (may be empty)
        Export,  // lay out without a window as Export says
        Help,    // print the help text on stdout, exit 0
        Version, // print the version on stdout, exit 0
        Usage,   // the arguments were not understood: Error says why; exit 2
    };

    Mode mode = Mode::Window;
    QString FileName; // absolute; empty when none given
    PdfExportOptions Export;
    QString Error;

    // Reads the arguments that follow the program name.
    static ProgramOptions parse(const QStringList& arguments);
    // Reads main()'s arguments (the first one is the program).
    static ProgramOptions parse(int argc, char** argv);

    // The lines that show every way to call the tool.
    static QString synopsis();
    // Synopsis, description and every option, as --help prints it.
    static QString helpText();
    // "folioscope VERSION" and the help file found (or "not found"); needs the application
    // object for the program's folder.
    static QString versionText();

    // Prints Error and the synopsis on stderr and returns 2, the exit code of a usage error.
    static int reportUsageError(const QString& error);

    // For Help, Version and Usage: prints what the mode shows and returns the exit code.
    int printMessage() const;
};
