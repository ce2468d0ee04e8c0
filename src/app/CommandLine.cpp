#include "app/CommandLine.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>

#include "app/AppErrors.h"
#include "app/FormFolioscopeMain.h"

CommandLine::CommandLine(const QStringList& arguments) {
    parse(arguments);
}

void CommandLine::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("report file to open"));
    if (!parser.parse(arguments)) {
        mode_ = Mode::Usage;
        error_ = parser.errorText();
        return;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        mode_ = Mode::Usage;
        error_ = files.at(1);
        return;
    }
    // The open dialog hands over full paths; a name typed on the command line is taken
    // relative to the working directory.
    if (!files.isEmpty() && !files.front().isEmpty())
        fileName_ = QFileInfo(files.front()).absoluteFilePath();
}

int CommandLine::run() const {
    switch (mode_) {
    case Mode::Usage:
        std::fprintf(stderr, "%s\n%s\n", qPrintable(error_),
                     qPrintable(app_errors::CommandLineUsage));
        return 2;
    case Mode::Interactive:
        break;
    }
    return runInteractive();
}

int CommandLine::runInteractive() const {
    TFormFolioscopeMain mainWindow;
    mainWindow.show();
    if (!fileName_.isEmpty()) {
        // From inside the event loop, so that a failure reaches the standard error box.
        const QString fileName = fileName_;
        QTimer::singleShot(0, &mainWindow,
                           [&mainWindow, fileName] { mainWindow.OpenFile(fileName); });
    }
    return QApplication::exec();
}
