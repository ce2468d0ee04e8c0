#pragma once
// Shared helpers of the metafile tests: playing into an image or a PDF and reading the result.

#include "platform/Metafile.h"
#include "platform/MetafilePlayer.h"

#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>

// Plays into a white image of the given size, the frame filling the whole image.
inline QImage playToImage(const QByteArray& bytes, QSize size = QSize(1000, 1000)) {
    const Metafile metafile = Metafile::fromBytes(bytes);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    MetafilePlayer::play(metafile, painter, QRectF(image.rect()));
    return image;
}

inline bool isInk(QRgb c) {
    return qRed(c) < 200 || qGreen(c) < 200 || qBlue(c) < 200;
}

// Bounding box of the non-white pixels inside `within` (the whole image by default).
inline QRect inkBounds(const QImage& image, QRect within = QRect()) {
    if (within.isNull())
        within = image.rect();
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    for (int y = within.top(); y <= within.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = within.left(); x <= within.right(); ++x) {
            if (isInk(line[x])) {
                left = qMin(left, x);
                right = qMax(right, x);
                top = qMin(top, y);
                bottom = qMax(bottom, y);
            }
        }
    }
    return left == INT_MAX ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

inline int countColor(const QImage& image, QRect within, QRgb color) {
    int n = 0;
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF);
    return n;
}

// Plays into an A4 PDF and returns what pdftotext reads from it.
inline QString pdfText(const Metafile& metafile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.pdf"));
    {
        QPdfWriter writer(path);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(600);
        QPainter painter(&writer);
        const QSize size = metafile.sizeHundredthsMm();
        const double scale = 600 / 2540.0;
        MetafilePlayer::play(metafile, painter,
                             QRectF(100, 100, size.width() * scale, size.height() * scale));
    }
    QProcess p;
    p.start(QStringLiteral("pdftotext"),
            {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Runs of blanks become one space, so that spacing differences of the extraction do not matter.
inline QString simplifiedText(const QString& s) {
    return s.simplified();
}
