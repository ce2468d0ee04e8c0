#pragma once
// Runs the built program as a shell on a machine without a display would, and keeps what it
// said and how it ended.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct ToolRun {
    int exitCode = -1; // -1: not finished in time; -2: crashed (an abort counts here)
    QString out;
    QString err;
};

// env adds NAME=VALUE pairs to the environment, which has no display and no platform choice,
// so the program must choose for itself.
inline ToolRun runTool(const QStringList& arguments, const QString& workingDirectory = QString(),
                       const QStringList& env = {}) {
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        e.remove(name);
    for (const QString& pair : env)
        e.insert(pair.section('=', 0, 0), pair.section('=', 1));
    QProcess process;
    process.setProcessEnvironment(e);
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(FOLIOSCOPE_BINARY, arguments);
    ToolRun run;
    if (!process.waitForFinished(120000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}
