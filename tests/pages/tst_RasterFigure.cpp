// The JPEG picture format of the picture registry.
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include "pages/PictureRegistry.h"
#include "pages/RasterFigure.h"
#include "platform/JpegReader.h"

class TestRasterFigure : public QObject {
    Q_OBJECT
private slots:
    void registryLoadsJpegByExtension() {
        QTemporaryDir dir;
        QImage source(96, 48, QImage::Format_RGB32);
        source.fill(qRgb(20, 40, 220));
        for (const char* name : {"a.jpg", "b.JPEG"}) {
            const QString path = dir.filePath(QString::fromLatin1(name));
            QVERIFY(source.save(path, "JPEG"));
            const auto picture = picture_registry::load(path);
            QVERIFY(picture);
            // An inch by half an inch at 96 pixels per inch.
            QCOMPARE(picture->sizeHundredthsMm(), QSize(2540, 1270));
            QImage page(200, 100, QImage::Format_RGB32);
            page.fill(Qt::white);
            QPainter painter(&page);
            picture->draw(painter, QRect(100, 50, 100, 50));
            painter.end();
            QCOMPARE(page.pixel(10, 10), qRgb(255, 255, 255));
            QVERIFY(qBlue(page.pixel(150, 75)) > 180 && qRed(page.pixel(150, 75)) < 60);
        }
        QCOMPARE(picture_registry::description(QStringLiteral("jpg")),
                 QStringLiteral("JPEG Image File"));
        QVERIFY(picture_registry::extensions().contains(QStringLiteral("jpeg")));
    }

    void brokenJpegRaisesTheJpegError() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bad.jpg"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("\xFF\xD8\xFF\xE0 not a jpeg"));
        file.close();
        QVERIFY_THROWS_EXCEPTION(JpegError, picture_registry::load(path));
    }
};

QTEST_MAIN(TestRasterFigure)
#include "tst_RasterFigure.moc"
