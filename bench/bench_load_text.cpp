// Reads a large report file into lines the way the main window does, and prints the time.
//   bench_load_text [FILE [MEGABYTES]]
// FILE (default /tmp/folioscope-bench-200mb.txt) is written first if it does not exist:
// report-like CR LF lines of box characters, kanji and numbers, MEGABYTES (default 200) in all.
// Run it under /usr/bin/time -v for the peak memory.

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

#include "app/TextFileReader.h"

namespace {

bool writeSample(const QString& path, qint64 megabytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // "│ 梁  B1    300×600   Fc=24  ..." in code page 932, varied by the line number.
    const QByteArray rule("\x84\xA0");
    const QByteArray beam("\x97\xC0");
    QByteArray block;
    const qint64 target = megabytes * 1024 * 1024;
    qint64 written = 0;
    for (qint64 n = 0; written < target; ++n) {
        QByteArray line = rule + ' ' + beam + " B" + QByteArray::number(n % 97) +
                          "    300\x81\x7E"
                          "600   Fc=24  " +
                          QByteArray::number(n * 7919 % 100000).rightJustified(8, ' ') + ' ' + rule;
        if (n % 50 == 0)
            line = "<Font3>";
        block += line + "\r\n";
        if (block.size() > (1 << 20) || written + block.size() >= target) {
            if (file.write(block) != block.size())
                return false;
            written += block.size();
            block.clear();
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                  : QStringLiteral("/tmp/folioscope-bench-200mb.txt");
    const qint64 megabytes = argc > 2 ? QByteArray(argv[2]).toLongLong() : 200;
    if (!QFile::exists(path) && !writeSample(path, megabytes)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }

    QElapsedTimer clock;
    clock.start();
    const QByteArrayList lines = ReadTextFileLines(path);
    const qint64 ms = clock.elapsed();

    qint64 bytes = 0;
    for (const QByteArray& line : lines)
        bytes += line.size();
    std::printf("file %s: %lld bytes\n", qPrintable(path), QFile(path).size());
    std::printf("lines %lld, line bytes %lld, read and split in %lld ms\n",
                static_cast<long long>(lines.size()), bytes, ms);
    return 0;
}
