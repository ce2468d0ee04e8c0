// Renders the tool's SVG icon to square PNGs for the hicolor icon theme:
//   render-icon IN.svg OUTDIR SIZE...   writes OUTDIR/SIZExSIZE/apps/folioscope.png
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: render-icon IN.svg OUTDIR SIZE...\n");
        return 2;
    }
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fprintf(stderr, "render-icon: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString outDir = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        if (size < 1 || size > 1024) {
            std::fprintf(stderr, "render-icon: bad size %s\n", argv[i]);
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter);
        painter.end();
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(outDir).arg(size);
        if (!QDir().mkpath(dir) || !image.save(dir + QStringLiteral("/folioscope.png"))) {
            std::fprintf(stderr, "render-icon: cannot write %s\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
