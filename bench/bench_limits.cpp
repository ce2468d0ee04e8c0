// The limit cases of one machine, one case per run so that the peak memory is the case's own:
//   bench_limits line10mb      one line of 10 MB: read, laid out at 600 dpi, page 1 painted
//   bench_limits lines5m       5,000,000 short lines: read and laid out at 600 dpi
//   bench_limits bmp-lies      a 1 KB RLE8 BMP whose header claims 1,114,239 x 64 pixels
//   bench_limits emf-records   an EMF of 2,000,000 records: loaded, then played onto A4 at 72 dpi
// Prints the case, the outcome (the message a refused input gives), seconds and peak MiB.
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>

#include "app/TextFileReader.h"
#include "document/LayoutEngine.h"
#include "help/ChmArchive.h"
#include "pages/PrintPreview.h"
#include "platform/BmpReader.h"
#include "platform/FontSubstitution.h"
#include "platform/Metafile.h"
#include "platform/MetafilePlayer.h"

namespace {

double peakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

void put32(QByteArray& b, quint32 v) {
    b.append(reinterpret_cast<const char*>(&v), 4);
}

QString writeFile(const QTemporaryDir& dir, const char* name, const QByteArray& bytes) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write the input");
    return path;
}

// Layout at 600 dpi on A4, as the program does without a printer; page 1 painted the way the
// preview paints it at 100 % (about 96 dpi).
QString layOut(const QString& path) {
    const QByteArrayList lines = ReadTextFileLines(path);
    TOutputSettings settings;
    LayoutState state;
    state.PrinterInfo = TPrinterInfo::forPaper(QSizeF(210, 297), 600);
    TPrintPreview store;
    LayoutEngine engine(state, store, settings, nullptr);
    engine.CalcFrameGeometry();
    engine.LayoutDocument(lines);
    QImage page(794, 1123, QImage::Format_ARGB32_Premultiplied);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.scale(794.0 / state.PrinterInfo.PaperWidthDots,
                  1123.0 / state.PrinterInfo.PaperHeightDots);
    store.GetPage(0).replay(painter);
    return QStringLiteral("%1 lines, %2 pages").arg(lines.size()).arg(store.PageCount());
}

QByteArray lyingBmp() {
    const qint32 width = 1114239, height = 64;
    QByteArray stream;
    for (int i = 0; i < 500; ++i)
        stream.append("\xFF\x01", 2);
    stream.append('\xFF');
    QByteArray b("BM");
    const quint32 offset = 14 + 40 + 8;
    put32(b, offset + quint32(stream.size()));
    put32(b, 0);
    put32(b, offset);
    put32(b, 40);
    put32(b, quint32(width));
    put32(b, quint32(height));
    put32(b, 1 | 8 << 16); // planes, bits
    put32(b, 1);           // RLE8
    put32(b, quint32(stream.size()));
    put32(b, 2835);
    put32(b, 2835);
    put32(b, 2);
    put32(b, 0);
    put32(b, 0);
    put32(b, 0x00FF0000);
    return b + stream;
}

// An EMF header, then records alternating MOVETOEX and LINETO across a 100 x 100 mm frame.
QByteArray manyRecords(int records) {
    QByteArray b;
    put32(b, 1);  // EMR_HEADER
    put32(b, 88); // size
    for (int v : {0, 0, 1000, 1000})
        put32(b, quint32(v)); // bounds
    for (int v : {0, 0, 10000, 10000})
        put32(b, quint32(v)); // frame in 0.01 mm
    put32(b, 0x464D4520);     // " EMF"
    put32(b, 0x10000);
    put32(b, 0); // total size, set below
    put32(b, 0); // records, set below
    put32(b, 1); // handles (16 bits) and reserved
    put32(b, 0); // description
    put32(b, 0);
    put32(b, 0); // palette entries
    put32(b, 1000);
    put32(b, 1000); // device pixels
    put32(b, 100);
    put32(b, 100); // device millimetres
    for (int i = 0; i < records; ++i) {
        put32(b, i % 2 ? 54 : 27); // EMR_LINETO, EMR_MOVETOEX
        put32(b, 16);
        put32(b, quint32(i * 7 % 1000));
        put32(b, quint32(i * 13 % 1000));
    }
    put32(b, 14); // EMR_EOF
    put32(b, 20);
    put32(b, 0);
    put32(b, 16);
    put32(b, 20);
    const quint32 total = quint32(b.size()), count = quint32(records + 2);
    std::memcpy(b.data() + 48, &total, 4);
    std::memcpy(b.data() + 52, &count, 4);
    return b;
}

QString playMetafile(const QByteArray& bytes) {
    const Metafile metafile = Metafile::fromBytes(bytes);
    QImage page(595, 842, QImage::Format_ARGB32_Premultiplied);
    page.fill(Qt::white);
    QPainter painter(&page);
    MetafilePlayer::play(metafile, painter, QRectF(50, 50, 283, 283));
    return QStringLiteral("played");
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    font_substitution::install();
    const QByteArray which = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    QTemporaryDir dir;
    QByteArray input;
    if (which == "line10mb")
        input = QByteArray(10 << 20, 'A') + "\r\n";
    else if (which == "lines5m")
        for (int i = 0; i < 5000000; ++i)
            input += QByteArray::number(i % 1000) + "\r\n";
    else if (which == "bmp-lies")
        input = lyingBmp();
    else if (which == "emf-records")
        input = manyRecords(2000000);
    else if (which == "chm-directory") {
        // The help file whose directory header claims 4,294,967,295 chunks.
        QFile file(QStringLiteral(FOLIOSCOPE_SOURCE_DIR "/tests/help/data/bad-chunk-count.chm"));
        if (file.open(QIODevice::ReadOnly))
            input = file.readAll();
    } else {
        std::fprintf(stderr, "usage: %s line10mb|lines5m|bmp-lies|emf-records|chm-directory\n",
                     argv[0]);
        return 2;
    }
    const QString path = writeFile(dir, "input", input);
    const double before = peakMiB();
    input = QByteArray(); // the case's own memory only
    QElapsedTimer timer;
    timer.start();
    QString outcome;
    try {
        if (which == "line10mb" || which == "lines5m")
            outcome = layOut(path);
        else if (which == "bmp-lies")
            outcome = QStringLiteral("%1 pixels").arg(bmp_reader::readFile(path).pixels.width());
        else if (which == "chm-directory") {
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            const QByteArray bytes = file.readAll();
            outcome = QStringLiteral("%1 files")
                          .arg(ChmArchive::open(std::string_view(bytes.constData(), bytes.size()))
                                   ->files()
                                   .size());
        } else {
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            outcome = playMetafile(file.readAll());
        }
    } catch (const std::exception& e) {
        outcome = QStringLiteral("refused: ") + QString::fromUtf8(e.what());
    }
    std::printf("%s\t%s\t%.2f s\tpeak %.0f MiB (%.0f MiB before the case)\n", which.constData(),
                qPrintable(outcome), timer.nsecsElapsed() / 1e9, peakMiB(), before);
    return 0;
}
