#pragma once
// The process's peak resident set so far (VmHWM of /proc/self/status), in kilobytes, for
// tests that bound what one input may cost. 0 where the kernel does not say.

#include <QByteArray>
#include <QFile>

inline qint64 peakResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}
