// The page picture: its size rule and what it paints (shadow, sheet, printable area, page).

#include <QPainter>
#include <QtTest>

#include "pages/PageRecording.h"
#include "pages/PrintPreview.h"
#include "ui/PageImage.h"

class TestPageImage : public QObject {
    Q_OBJECT
private slots:
    void sizeFollowsPhysicalSizeAndZoom();
    void hugeZoomIsBounded();
    void paintsShadowSheetAndPage();
    void printableAreaOutline();
    void exposedPartMatchesWholePicture();
};

void TestPageImage::sizeFollowsPhysicalSizeAndZoom() {
    const TPrinterInfo a4 = TPrinterInfo::forPaper(QSizeF(210, 297), 600);
    // (4961 + 50) dots = 21213 hundredths of a mm = 802 pixels at 96 dpi; 100 % shows 0.8 of it.
    QCOMPARE(PageImage::pictureSize(a4, 0.8, 96, 96), QSize(642, 905));
    // 250 percent is twice the physical size.
    QCOMPARE(PageImage::pictureSize(a4, 2.0, 96, 96), QSize(1604, 2262));
    // A 72 dpi printer with a printable area smaller than the paper: the millimetres of one dot
    // come from the printable area, the size from the paper plus the shadow.
    const TPrinterInfo small = TPrinterInfo::fromDots(595, 842, 571, 818, 12, 12, 72, 72);
    QCOMPARE(PageImage::pictureSize(small, 1.0, 96, 96), QSize(860, 1189));
    QCOMPARE(PageImage::pictureSize(small, 0, 96, 96), QSize());
}

void TestPageImage::hugeZoomIsBounded() {
    const TPrinterInfo a4 = TPrinterInfo::forPaper(QSizeF(210, 297), 600);
    const QSize size = PageImage::pictureSize(a4, 1e300 / 125, 96, 96);
    QCOMPARE(size.height(), PageImage::MaximumSide);
    QVERIFY(qAbs(double(size.width()) / size.height() - 802.0 / 1131) < 0.001);
}

namespace {

// A 100 x 200 dot page at 100 dpi with a black bar recorded in it.
struct Fixture {
    TPrinterInfo printer = TPrinterInfo::fromDots(100, 200, 80, 180, 10, 10, 100, 100);
    TPrintPreview store;
    Fixture() {
        store.setReferenceDevice(printer);
        store.BeginDoc();
        store.GetCanvas().setBrush(qRgb(0, 0, 0));
        store.GetCanvas().fillRect(QRect(40, 100, 20, 20));
        store.EndDoc();
    }
    // One dot on one pixel: the printable area is 80 dots = 20.32 mm, so 100 dpi at zoom 1.
    PageImage picture(bool printableArea) const {
        return PageImage(store.GetPage(0), printer, 1.0, printableArea, 100, 100);
    }
};

} // namespace

void TestPageImage::paintsShadowSheetAndPage() {
    Fixture f;
    const PageImage picture = f.picture(false);
    QCOMPARE(picture.size(), QSize(150, 250));
    const QImage image = picture.toImage();
    QCOMPARE(image.pixelColor(0, 0), QColor(Qt::black));         // sheet outline
    QCOMPARE(image.pixelColor(99, 199), QColor(Qt::black));      // its far corner
    QCOMPARE(image.pixelColor(20, 20), QColor(Qt::white));       // the sheet
    QCOMPARE(image.pixelColor(50, 110), QColor(Qt::black));      // the page's own drawing
    QCOMPARE(image.pixelColor(120, 220), QColor(128, 128, 128)); // shadow beyond the sheet
    QCOMPARE(image.pixelColor(120, 20).alpha(), 0);              // beside the shadow: nothing
    QCOMPARE(image.pixelColor(20, 220).alpha(), 0);
    QCOMPARE(image.pixelColor(10, 50), QColor(Qt::white)); // no printable-area outline
}

void TestPageImage::printableAreaOutline() {
    Fixture f;
    const QImage image = f.picture(true).toImage();
    // A dotted outline from (10, 10) to (89, 189): some of its pixels are black, none outside.
    int black = 0;
    for (int y = 10; y < 190; ++y)
        black += image.pixelColor(10, y) == QColor(Qt::black);
    QVERIFY(black > 30 && black < 180);
    QCOMPARE(image.pixelColor(9, 50), QColor(Qt::white));
    QCOMPARE(image.pixelColor(11, 50), QColor(Qt::white));
}

void TestPageImage::exposedPartMatchesWholePicture() {
    Fixture f;
    const PageImage picture = f.picture(true);
    const QImage whole = picture.toImage();
    const QRect part(30, 90, 60, 50);
    QImage partial(picture.size(), QImage::Format_ARGB32_Premultiplied);
    partial.fill(Qt::transparent);
    {
        QPainter painter(&partial);
        picture.paint(painter, part);
    }
    QCOMPARE(partial.copy(part), whole.copy(part));
    QCOMPARE(partial.pixelColor(20, 20).alpha(), 0); // nothing painted outside the part
}

QTEST_MAIN(TestPageImage)
#include "tst_PageImage.moc"
