#pragma once
// The window mode of the command line, and running it. Without arguments the tool opens its
// main window; with a file name it opens that file at start as if it had been chosen in the
// open dialog. ProgramOptions reads the arguments; any other mode counts as a usage error here.

#include <QString>
#include <QStringList>

class CommandLine {
public:
    enum class Mode {
        Interactive, // the main window, optionally opening FileName at start
        Usage,       // the arguments were not understood: Error says why
    };

    // Reads the arguments (the first one is the program).
    explicit CommandLine(const QStringList& arguments);

    Mode mode() const { return mode_; }
    const QString& fileName() const { return fileName_; } // absolute; empty when none given
    const QString& error() const { return error_; }

    // Runs the mode inside the running application and returns the exit code.
    int run() const;

private:
    void parse(const QStringList& arguments);
    int runInteractive() const;

    Mode mode_ = Mode::Interactive;
    QString fileName_;
    QString error_;
};
