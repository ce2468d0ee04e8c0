#pragma once
// What several benchmark programs share: the large report they measure and the process's
// resident memory.

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>

namespace bench {

// Benchmarks draw offscreen unless told otherwise: a window system only adds noise.
inline void preferOffscreen() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// The report named by the first argument, or the 100,000-line report generated into dir;
// empty (and said on stderr) when it cannot be generated.
inline QString largeReport(int argc, char** argv, const QTemporaryDir& dir) {
    if (argc > 1)
        return QString::fromLocal8Bit(argv[1]);
    const QString report = dir.filePath(QStringLiteral("large-report.txt"));
    QProcess generate;
    generate.start(QStringLiteral("python3"),
                   {QStringLiteral(FOLIOSCOPE_SOURCE_DIR "/bench/make-large-report.py"),
                    QStringLiteral("100000"), report});
    if (!generate.waitForFinished(-1) || generate.exitStatus() != QProcess::NormalExit ||
        generate.exitCode() != 0) {
        std::fprintf(stderr, "could not generate the report\n");
        return {};
    }
    return report;
}

// The resident set of this process in KiB, -1 when /proc cannot tell.
inline long rssKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

} // namespace bench
