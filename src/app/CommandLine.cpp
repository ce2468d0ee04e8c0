#include "app/CommandLine.h"

#include <QApplication>
#include <QTimer>

#include "app/FormFolioscopeMain.h"
#include "app/ProgramOptions.h"
#include "app/RunLifetime.h"

CommandLine::CommandLine(const QStringList& arguments) {
    parse(arguments);
}

void CommandLine::parse(const QStringList& arguments) {
    // The same reading of the arguments as main() makes before the application exists.
    const ProgramOptions options = ProgramOptions::parse(arguments.mid(1));
    if (options.mode != ProgramOptions::Mode::Window) {
        mode_ = Mode::Usage;
        error_ = options.Error;
        return;
    }
    fileName_ = options.FileName;
}

int CommandLine::run() const {
    switch (mode_) {
    case Mode::Usage:
        return ProgramOptions::reportUsageError(error_);
    case Mode::Interactive:
        break;
    }
    return runInteractive();
}

int CommandLine::runInteractive() const {
    TFormFolioscopeMain mainWindow;
    run_lifetime::endWithMainWindow(mainWindow);
    mainWindow.show();
    if (!fileName_.isEmpty()) {
        // From inside the event loop, so that a failure reaches the standard error box.
        const QString fileName = fileName_;
        QTimer::singleShot(0, &mainWindow,
                           [&mainWindow, fileName] { mainWindow.OpenFile(fileName); });
    }
    return QApplication::exec();
}
