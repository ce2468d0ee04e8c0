// Loads and plays every shared EMF into a 600-dpi A4 image and into a PDF, then plays a
// synthetic EMF of 1,000,000 LINETO records. Prints milliseconds per file and in total.
//   build/bench/bench_metafile [folder]

#include "platform/FontSubstitution.h"
#include "platform/Metafile.h"
#include "platform/MetafilePlayer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>

#include <uemf.h>

namespace {

constexpr int kDpi = 600;

// The picture at its own size, shrunk to the page if larger, centred on the page.
QRectF placeOnPage(const Metafile& m, QSizeF page) {
    QSizeF size(m.sizeHundredthsMm().width() / 2540.0 * kDpi,
                m.sizeHundredthsMm().height() / 2540.0 * kDpi);
    if (size.width() > page.width() || size.height() > page.height())
        size.scale(page, Qt::KeepAspectRatio);
    return QRectF(QPointF((page.width() - size.width()) / 2, (page.height() - size.height()) / 2),
                  size);
}

double ms(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e6;
}

QByteArray millionLines() {
    constexpr int kLines = 1000000;
    char* header = U_EMRHEADER_set(rectl_set(point32_set(0, 0), point32_set(4960, 7015)),
                                   rectl_set(point32_set(0, 0), point32_set(21000, 29700)), nullptr,
                                   0, nullptr, sizel_set(4960, 7016), sizel_set(210, 297), 0);
    uint32_t headerSize;
    std::memcpy(&headerSize, header + 4, 4);
    QByteArray bytes(header, int(headerSize));
    std::free(header);
    bytes.reserve(bytes.size() + kLines * 16 + 40);
    for (int i = 0; i < kLines; ++i) {
        // Short strokes filling the page row by row, as a dense drawing would: 1000 segments
        // of about 4.7 pixels per row, 1000 rows.
        const uint32_t x = uint32_t(100 + (i % 1000) * 47 / 10);
        const uint32_t y = uint32_t(100 + (i / 1000) * 68 / 10 + (i % 2) * 5);
        const uint32_t rec[4] = {U_EMR_LINETO, 16, x, y};
        bytes.append(reinterpret_cast<const char*>(rec), 16);
    }
    const uint32_t eof[5] = {U_EMR_EOF, 20, 0, 16, 20};
    bytes.append(reinterpret_cast<const char*>(eof), 20);
    const uint32_t total = uint32_t(bytes.size()), records = kLines + 2;
    std::memcpy(bytes.data() + 48, &total, 4);
    std::memcpy(bytes.data() + 52, &records, 4);
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    font_substitution::install();
    const QString folder =
        argc > 1 ? QString::fromLocal8Bit(argv[1])
                 : QStringLiteral(FOLIOSCOPE_SHARED_TESTDATA) + QStringLiteral("/emf");
    const QSize page(4961, 7016); // A4 at 600 dpi
    QImage image(page, QImage::Format_RGB32);
    QTemporaryDir dir;
    QPdfWriter pdf(dir.filePath(QStringLiteral("bench.pdf")));
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setResolution(kDpi);
    QPainter pdfPainter(&pdf);

    std::printf("%-28s %9s %9s %9s\n", "file", "load ms", "image ms", "pdf ms");
    double totalLoad = 0, totalImage = 0, totalPdf = 0, slowest = -1;
    QString slowestName;
    const QStringList names =
        QDir(folder).entryList({QStringLiteral("*.emf")}, QDir::Files, QDir::Name);
    bool firstPage = true;
    for (const QString& name : names) {
        QElapsedTimer t;
        t.start();
        const Metafile m = Metafile::fromFile(QDir(folder).filePath(name));
        const double load = ms(t);
        image.fill(Qt::white);
        QPainter painter(&image);
        t.restart();
        MetafilePlayer::play(m, painter, placeOnPage(m, page));
        painter.end();
        const double onImage = ms(t);
        if (!firstPage)
            pdf.newPage();
        firstPage = false;
        t.restart();
        MetafilePlayer::play(m, pdfPainter, placeOnPage(m, page));
        const double onPdf = ms(t);
        std::printf("%-28s %9.2f %9.2f %9.2f\n", qPrintable(name), load, onImage, onPdf);
        totalLoad += load;
        totalImage += onImage;
        totalPdf += onPdf;
        if (load + onImage + onPdf > slowest) {
            slowest = load + onImage + onPdf;
            slowestName = name;
        }
    }
    QElapsedTimer t;
    t.start();
    pdfPainter.end();
    const double pdfWrite = ms(t);
    std::printf("%-28s %9.2f %9.2f %9.2f  (%lld files; PDF written in %.1f ms)\n", "total",
                totalLoad, totalImage, totalPdf, static_cast<long long>(names.size()), pdfWrite);
    std::printf("slowest: %s (%.2f ms)\n", qPrintable(slowestName), slowest);

    const QByteArray lines = millionLines();
    t.restart();
    const Metafile synthetic = Metafile::fromBytes(lines);
    const double load = ms(t);
    image.fill(Qt::white);
    QPainter painter(&image);
    t.restart();
    MetafilePlayer::play(synthetic, painter, QRectF(QPointF(0, 0), QSizeF(page)));
    painter.end();
    const double play = ms(t);
    std::printf("1,000,000 LINETO records (%.1f MB): load %.1f ms, play into A4 600 dpi image "
                "%.1f ms, together %.1f ms\n",
                lines.size() / 1e6, load, play, load + play);
    return 0;
}
