#include <QBuffer>
#include <QTest>
#include <atomic>
#include <new>
#include <thread>
#include <vector>

#include "pages/DecodedImageCache.h"
#include "pages/EncodedImage.h"
#include "pages/PagesErrors.h"

namespace {

QImage filled(int side, QRgb colour) {
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

DecodedImageCache::Key key(std::uint64_t source, QSize size = {}) {
    return {source, DecodedImageCache::Kind::View, size, {}};
}

} // namespace

class TestDecodedImageCache : public QObject {
    Q_OBJECT

private slots:
    void keepsTheMostRecentlyUsedWithinItsBudget() {
        const qint64 one = filled(32, 0).sizeInBytes();
        DecodedImageCache cache(3 * one);
        int made = 0;
        const auto get = [&](std::uint64_t source) {
            return cache.get(key(source), [&] {
                ++made;
                return filled(32, qRgb(int(source), 0, 0));
            });
        };
        get(1);
        get(2);
        get(3);
        QCOMPARE(get(1).pixel(0, 0), qRgb(1, 0, 0)); // a hit moves 1 to the front
        QCOMPARE(made, 3);
        get(4); // pushes out 2, the least recently used
        QCOMPARE(cache.count(), std::size_t(3));
        QCOMPARE(cache.bytes(), 3 * one);
        get(1);
        get(3);
        QCOMPARE(made, 4);
        get(2);
        QCOMPARE(made, 5);
        // Keys differ by size and kind too.
        cache.get(key(1, QSize(5, 5)), [&] { return filled(4, 0); });
        QCOMPARE(cache.misses(), std::uint64_t(6));
        // An image larger than the whole budget is handed out but not kept.
        QCOMPARE(cache.get(key(9), [] { return filled(64, 0); }).width(), 64);
        QVERIFY(cache.bytes() <= cache.budget());
        cache.get(key(9), [] { return filled(64, 0); });
        QCOMPARE(cache.misses(), std::uint64_t(8));
        cache.forget(1);
        cache.get(key(1, QSize(5, 5)), [&] { return filled(4, 0); });
        QCOMPARE(cache.misses(), std::uint64_t(9));
    }

    // Pages are played on several threads at once (a long PDF): each thread gets the image of
    // its key while the others fill, trim and forget.
    void threadsShareTheCache() {
        const qint64 one = filled(32, 0).sizeInBytes();
        DecodedImageCache cache(3 * one);
        std::atomic<int> wrong{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&, t] {
                for (int i = 0; i < 2000; ++i) {
                    const std::uint64_t source = std::uint64_t((i * 7 + t) % 8 + 1);
                    const QImage image =
                        cache.get(key(source), [&] { return filled(32, qRgb(int(source), 0, 0)); });
                    if (image.pixel(0, 0) != qRgb(int(source), 0, 0))
                        ++wrong;
                    if (i % 97 == 0)
                        cache.forget(source);
                }
            });
        for (std::thread& thread : threads)
            thread.join();
        QCOMPARE(wrong.load(), 0);
        QVERIFY(cache.bytes() <= 3 * one);
        QCOMPARE(qint64(cache.count()) * one, cache.bytes());
    }

    void runningOutOfMemoryEmptiesTheCacheThenReportsClearly() {
        DecodedImageCache cache;
        cache.put(key(1), filled(16, 0));
        int attempts = 0;
        // Succeeds on the second attempt, after the cache gave its memory back.
        const QImage image = cache.get(key(2), [&] {
            if (++attempts == 1)
                throw std::bad_alloc();
            return filled(8, 0);
        });
        QCOMPARE(image.width(), 8);
        QCOMPARE(attempts, 2);
        QCOMPARE(cache.count(), std::size_t(1));
        try {
            cache.get(key(3), []() -> QImage { throw std::bad_alloc(); });
            QFAIL("no error");
        } catch (const FigureMemoryError& e) {
            QCOMPARE(QString::fromUtf8(e.what()),
                     QString::fromUtf8(pages_errors::FigureOutOfMemory));
        }
    }

    void figuresDecodeAgainToTheSamePixelsAndAreForgottenWithTheirPages() {
        QByteArray bmp;
        {
            QBuffer buffer(&bmp);
            buffer.open(QIODevice::WriteOnly);
            QVERIFY(filled(20, qRgb(1, 2, 3)).save(&buffer, "BMP"));
        }
        DecodedImageCache& cache = DecodedImageCache::shared();
        cache.clear();
        const std::uint64_t misses = cache.misses();
        QImage first;
        auto figure = EncodedImage::fromBytes(bmp, EncodedImage::Format::Bitmap, &first);
        QCOMPARE(figure->pixelSize(), QSize(20, 20));
        // Not kept from the check at load (a long document would fill the cache with
        // figures of pages far from the one shown): decoded again, to the same pixels.
        QCOMPARE(cache.count(), std::size_t(0));
        QCOMPARE(figure->pixels(), first);
        QCOMPARE(cache.misses(), misses + 1);
        QCOMPARE(figure->smoothed(QSize(40, 40)).size(), QSize(40, 40));
        QCOMPARE(cache.count(), std::size_t(2));
        figure.reset();
        QCOMPARE(cache.count(), std::size_t(0));
        // A bad file fails at load, never later.
        QVERIFY_THROWS_EXCEPTION(
            std::runtime_error,
            EncodedImage::fromBytes(bmp.left(60), EncodedImage::Format::Bitmap));
    }

    // Figures are held once per distinct bytes, whichever way they are loaded, also when two
    // large files differ only between the parts their interning key looks at.
    void equalBytesGiveOneFigureAndOtherBytesAnother() {
        QImage image(400, 300, QImage::Format_RGB32); // 480 KB as a 32-bit BMP
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qRgb(x % 251, y % 241, (x * y) % 239));
        QByteArray bmp;
        QBuffer buffer(&bmp);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "BMP"));
        const auto format = EncodedImage::Format::Bitmap;
        const auto first = EncodedImage::fromBytes(bmp, format);
        QCOMPARE(EncodedImage::fromBytes(bmp, format), first);
        QCOMPARE(EncodedImage::hold(EncodedImage::check(bmp, format)), first);
        for (const qsizetype at : {qsizetype(4096 + 100), bmp.size() / 2 + 5000}) {
            QByteArray other = bmp;
            other[at] = char(other[at] ^ 0x55);
            const auto viaCheck = EncodedImage::hold(EncodedImage::check(other, format));
            QVERIFY(viaCheck != first);
            QCOMPARE(EncodedImage::fromBytes(other, format), viaCheck);
            QCOMPARE(viaCheck->bytes(), other);
        }
    }
};

QTEST_MAIN(TestDecodedImageCache)
#include "tst_DecodedImageCache.moc"
