// Times what reading a report costs besides the reading: the encoding decision (and the
// conversion of a UTF-8 report), and the lookup of Windows figure names.
//   bench_input_encoding [MEGABYTES]   (default 50)

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "document/FigurePathResolver.h"
#include "platform/Cp932.h"
#include "platform/InputEncoding.h"

namespace {

QByteArrayList reportLines(qint64 megabytes, bool utf8) {
    QByteArrayList lines;
    qint64 size = 0;
    for (qint64 n = 0; size < megabytes * 1024 * 1024; ++n) {
        const QString text = QStringLiteral("│ 梁  B%1    300×600   Fc=24  %2 │ 判定 ＯＫ")
                                 .arg(n % 97)
                                 .arg(n * 7919 % 100000, 8);
        lines.append(utf8 ? text.toUtf8() : cp932::encode(text));
        size += lines.back().size() + 2;
    }
    return lines;
}

void timeEncoding(const char* what, QByteArrayList lines) {
    qint64 bytes = 0;
    for (const QByteArray& line : lines)
        bytes += line.size();
    QElapsedTimer clock;
    clock.start();
    const InputEncoding encoding = InputEncoding::normalise(lines);
    const qint64 ms = clock.elapsed();
    std::printf("%-28s %8.1f MB %6lld ms  converted %d\n", what, bytes / 1e6, qlonglong(ms),
                int(encoding.converted()));
}

} // namespace

int main(int argc, char** argv) {
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 50;
    timeEncoding("code page 932 report", reportLines(megabytes, false));
    timeEncoding("UTF-8 report", reportLines(megabytes, true));

    // 1000 figures in a folder of the report; names as written, and in other letter case
    // with '\' separators (every one needs a folder listing).
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("Figures"));
    for (int i = 0; i < 1000; ++i) {
        QFile file(dir.filePath(QStringLiteral("Figures/Fig%1.emf").arg(i)));
        file.open(QIODevice::WriteOnly);
    }
    const FigurePathResolver resolver(dir.path());
    for (const bool exact : {true, false}) {
        QElapsedTimer clock;
        clock.start();
        int found = 0;
        for (int i = 0; i < 1000; ++i)
            found += !resolver
                          .resolve(exact ? QStringLiteral("Figures/Fig%1.emf").arg(i)
                                         : QStringLiteral("FIGURES\\fig%1.EMF").arg(i))
                          .isEmpty();
        std::printf("%-28s %d of 1000 found in %lld ms\n",
                    exact ? "figure names as on disk" : "figure names, other case", found,
                    qlonglong(clock.elapsed()));
    }
    return 0;
}
