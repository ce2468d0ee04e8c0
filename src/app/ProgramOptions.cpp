#include "app/ProgramOptions.h"

#include <QFileInfo>
#include <cstdio>

#include "app/AppErrors.h"
#include "help/HelpFolder.h"

#ifndef FOLIOSCOPE_VERSION
#error "FOLIOSCOPE_VERSION must be defined by the build"
#endif

namespace {

bool isOption(const QString& argument) {
    return argument.size() > 1 && argument.startsWith(QLatin1Char('-'));
}

} // namespace

ProgramOptions ProgramOptions::parse(const QStringList& arguments) {
    ProgramOptions result;
    // Plain file names (and whatever follows "--") ask for the window; any option hands the
    // whole line to the option parser, which knows every option and their arguments.
    QStringList files;
    bool optionsEnded = false;
    bool anyOption = false;
    for (const QString& argument : arguments) {
        if (!optionsEnded && argument == QLatin1String("--"))
            optionsEnded = true;
        else if (!optionsEnded && isOption(argument))
            anyOption = true;
        else
            files.append(argument);
    }

    if (!anyOption) {
        if (files.size() > 1) {
            result.mode = Mode::Usage;
            result.Error = app_errors::TooManyFiles.arg(files.at(1));
            return result;
        }
        // The open dialog hands over full paths; a name typed on the command line is taken
        // relative to the working directory.
        if (!files.isEmpty() && !files.front().isEmpty())
            result.FileName = QFileInfo(files.front()).absoluteFilePath();
        return result;
    }

    QString error;
    const auto options = PdfExportOptions::parse(arguments, error);
    if (!options) {
        result.mode = Mode::Usage;
        result.Error = error;
        return result;
    }
    result.Export = *options;
    result.mode = options->Help ? Mode::Help : options->Version ? Mode::Version : Mode::Export;
    return result;
}

ProgramOptions ProgramOptions::parse(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return parse(arguments);
}

QString ProgramOptions::synopsis() {
    return QStringLiteral(
        "Usage: folioscope [FILE]\n"
        "       folioscope --pdf OUT.pdf [OPTIONS] IN.txt\n"
        "       folioscope --print [--printer QUEUE] [--from N] [--to M] [--copies K] "
        "[OPTIONS] IN.txt\n"
        "       folioscope --outline [OPTIONS] IN.txt\n"
        "       folioscope --help | --version\n");
}

QString ProgramOptions::helpText() {
    // The option list is the export parser's own; its first lines (its usage line and
    // description) give way to the synopsis of every mode.
    QString options = PdfExportOptions::usage();
    const qsizetype start = options.indexOf(QLatin1String("Options:"));
    if (start > 0)
        options = options.mid(start);
    return synopsis() +
           QStringLiteral(
               "\nWithout options, opens the main window (and FILE in the preview, if given).\n"
               "With --pdf, --print or --outline, lays the Shift-JIS report IN.txt out into pages "
               "without a window.\n"
               "Exit status: 0 done, 1 the file could not be read, laid out or written, "
               "2 bad options.\n\n") +
           options;
}

QString ProgramOptions::versionText() {
    // Where the help buttons will look, so that an installation can be checked from a shell.
    const QString folder = HelpFolderFor(ProgramFolder());
    const QString helpFile = folder + QLatin1String(HelpFileName);
    return QStringLiteral("folioscope " FOLIOSCOPE_VERSION "\nhelp file: %1\n")
        .arg(QFileInfo(helpFile).isFile() ? helpFile : QStringLiteral("not found"));
}

int ProgramOptions::reportUsageError(const QString& error) {
    std::fprintf(stderr, "folioscope: %s\n%sTry 'folioscope --help' for every option.\n",
                 error.toLocal8Bit().constData(), synopsis().toLocal8Bit().constData());
    return 2;
}

int ProgramOptions::printMessage() const {
    switch (mode) {
    case Mode::Help:
        std::fputs(helpText().toLocal8Bit().constData(), stdout);
        return 0;
    case Mode::Version:
        std::fputs(versionText().toLocal8Bit().constData(), stdout);
        return 0;
    case Mode::Usage:
        return reportUsageError(Error);
    case Mode::Window:
    case Mode::Export:
        break;
    }
    return 0;
}
