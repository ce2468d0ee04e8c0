// TMetafileEx and the picture registry: loading by extension, and drawing on a clipped painter.

#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <QTest>

#include "pages/MetafileEx.h"
#include "pages/PictureRegistry.h"
#include "platform/MetafileBuilder.h"
#include "platform/PlatformErrors.h"

namespace {

// A picture whose frame is filled red from corner to corner.
QByteArray redPicture() {
    EmfBuilder b(QSizeF(100, 100), 10);
    b.add(U_EMRCREATEBRUSHINDIRECT_set(1, logbrush_set(U_BS_SOLID, colorref_set(255, 0, 0), 0)));
    b.add(U_EMRSELECTOBJECT_set(1));
    b.add(U_EMRSELECTOBJECT_set(U_NULL_PEN));
    b.add(U_EMRRECTANGLE_set(emfRect(0, 0, 1000, 1000)));
    return b.finish();
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

} // namespace

class TestMetafileEx : public QObject {
    Q_OBJECT
private slots:
    void registryMapsMetafileExtensions() {
        QCOMPARE(picture_registry::description(QStringLiteral("wmf")),
                 QStringLiteral("Windows Metafile"));
        QCOMPARE(picture_registry::description(QStringLiteral("EMF")),
                 QStringLiteral("Enhanced Metafile"));
        QVERIFY(picture_registry::description(QStringLiteral("bmp")).isEmpty());

        QTemporaryDir dir;
        const QString emf = writeFile(dir, QStringLiteral("figure.EMF"), redPicture());
        const auto picture = picture_registry::load(emf);
        QVERIFY(dynamic_cast<TMetafileEx*>(picture.get()));
        QCOMPARE(picture->sizeHundredthsMm(), QSize(10000, 10000));

        WmfBuilder wmf(QRect(0, 0, 1000, 500), 254);
        wmf.add(U_WMRRECTANGLE_set(wmfRect(0, 0, 1000, 500)));
        wmf.add(U_WMRRECTANGLE_set(wmfRect(0, 0, 500, 500)));
        const QString wmfPath = writeFile(dir, QStringLiteral("figure.wmf"), wmf.finish());
        const auto placeable = picture_registry::load(wmfPath);
        QVERIFY(dynamic_cast<TMetafileEx*>(placeable.get()));
        QCOMPARE(placeable->sizeHundredthsMm(), QSize(10000, 5000));

        QVERIFY(!picture_registry::load(writeFile(dir, QStringLiteral("x.txt"), "text")));
    }

    void badFileGivesTheMetafileMessage() {
        QTemporaryDir dir;
        const QString path = writeFile(dir, QStringLiteral("broken.emf"), "not a metafile");
        try {
            picture_registry::load(path);
            QFAIL("no error");
        } catch (const MetafileError& e) {
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("メタファイルが不正です"));
        }
    }

    void drawsWholePictureOnAClippedPainterAndKeepsTheClip() {
        const TMetafileEx picture(Metafile::fromBytes(redPicture()));
        QImage image(400, 400, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.translate(10, 0);
        painter.setClipRect(QRect(0, 0, 190, 400));
        const QPainterPath clipBefore = painter.clipPath();
        picture.draw(painter, QRect(-10, 0, 400, 400));
        QVERIFY(painter.hasClipping());
        QCOMPARE(painter.clipPath(), clipBefore);
        QCOMPARE(painter.worldTransform(), QTransform::fromTranslate(10, 0));
        // The clip still applies to what the caller draws next.
        painter.fillRect(QRect(-10, 0, 400, 400), Qt::blue);
        painter.end();
        QCOMPARE(image.pixel(100, 200), qRgb(0, 0, 255));
        QCOMPARE(image.pixel(300, 200), qRgb(255, 0, 0)); // outside the clip: drawn anyway
        QCOMPARE(image.pixel(395, 395), qRgb(255, 0, 0));
    }

    void drawingOnAnUnclippedPainterLeavesItUnclipped() {
        const TMetafileEx picture(Metafile::fromBytes(redPicture()));
        QImage image(50, 50, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        picture.draw(painter, image.rect());
        QVERIFY(!painter.hasClipping());
        painter.end();
        QCOMPARE(image.pixel(25, 25), qRgb(255, 0, 0));
    }
};

QTEST_MAIN(TestMetafileEx)
#include "tst_MetafileEx.moc"
