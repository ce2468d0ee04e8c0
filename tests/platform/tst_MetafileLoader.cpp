// Loading untrusted metafiles: what is refused with the metafile message, what plays, and that
// hostile counts, indexes, depths and sizes stay bounded. Runs under ASan and UBSan as well.

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>

#include "platform/FontSubstitution.h"
#include "platform/MetafileBuilder.h"
#include "platform/MetafileTestSupport.h"
#include "platform/PlatformErrors.h"

namespace {

const QString kShared = QStringLiteral(FOLIOSCOPE_SHARED_TESTDATA);

// The loader's verdict: empty when the file loads, else the error's message.
QString refusal(const QByteArray& bytes) {
    try {
        Metafile::fromBytes(bytes);
        return {};
    } catch (const MetafileError& e) {
        return QString::fromUtf8(e.what());
    }
}

QByteArray record32(std::initializer_list<quint32> words) {
    QByteArray r;
    for (quint32 w : words)
        r.append(reinterpret_cast<const char*>(&w), 4);
    return r;
}

// A STRETCHDIBITS record whose BITMAPINFOHEADER claims width x height at bitCount bits,
// carrying `bits` bytes of pixels.
QByteArray stretchDib(qint32 width, qint32 height, quint16 bitCount, quint32 colorsUsed, int bits) {
    QByteArray r(80, '\0');
    QByteArray bmi(40, '\0');
    auto put32 = [](QByteArray& a, int at, quint32 v) { std::memcpy(a.data() + at, &v, 4); };
    auto put16 = [](QByteArray& a, int at, quint16 v) { std::memcpy(a.data() + at, &v, 2); };
    put32(bmi, 0, 40);
    put32(bmi, 4, quint32(width));
    put32(bmi, 8, quint32(height));
    put16(bmi, 12, 1);
    put16(bmi, 14, bitCount);
    put32(bmi, 32, colorsUsed);
    put32(r, 0, U_EMR_STRETCHDIBITS);
    put32(r, 40, quint32(width));  // cxSrc
    put32(r, 44, quint32(height)); // cySrc
    put32(r, 48, 80);              // offBmiSrc
    put32(r, 52, 40);              // cbBmiSrc
    put32(r, 56, 120);             // offBitsSrc
    put32(r, 60, quint32(bits));   // cbBitsSrc
    put32(r, 68, U_SRCCOPY);
    put32(r, 72, 100);
    put32(r, 76, 100);
    r += bmi;
    r += QByteArray(bits, '\x55');
    while (r.size() % 4)
        r += '\0';
    put32(r, 4, quint32(r.size()));
    return r;
}

QStringList filesIn(const QString& folder, const QString& pattern) {
    QStringList out;
    for (const QString& name : QDir(folder).entryList({pattern}, QDir::Files, QDir::Name))
        out << QDir(folder).filePath(name);
    return out;
}

} // namespace

class TestMetafileLoader : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { font_substitution::install(); }

    void sizesFromHeaders() {
        EmfBuilder emf(QSizeF(120, 45));
        QCOMPARE(Metafile::fromBytes(emf.finish()).sizeHundredthsMm(), QSize(12000, 4500));
        // 2 x 1 inch at 1440 units per inch.
        WmfBuilder wmf(QRect(0, 0, 2880, 1440), 1440);
        wmf.add(U_WMRRECTANGLE_set(wmfRect(0, 0, 2880, 1440)));
        wmf.add(U_WMRRECTANGLE_set(wmfRect(0, 0, 1440, 1440)));
        const Metafile m = Metafile::fromBytes(wmf.finish());
        QCOMPARE(m.format(), Metafile::Format::Placeable);
        QCOMPARE(m.sizeHundredthsMm(), QSize(5080, 2540));
    }

    void refusedWithTheMetafileMessage_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray emf = EmfBuilder().finish();
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("this is not a picture at all, just some text....");
        QTest::newRow("emf cut in its header") << emf.left(60);
        QTest::newRow("emf wrong signature") << QByteArray(emf).replace(40, 4, "XXXX");
        {
            QByteArray b = emf;
            const qint32 frame[4] = {-2000000000, 0, 2000000000, 100}; // wider than an int
            std::memcpy(b.data() + 24, frame, sizeof frame);
            QTest::newRow("frame wider than 21 km") << b;
        }
        {
            QByteArray b = emf;
            const quint32 huge = 0x7FFFFFF0;
            std::memcpy(b.data() + emf.size() - 20 + 4, &huge, 4); // EOF size beyond the file
            QTest::newRow("record beyond the end") << b;
        }
        {
            QByteArray b = emf;
            const quint32 odd = 22;
            std::memcpy(b.data() + emf.size() - 20 + 4, &odd, 4);
            QTest::newRow("record size not a multiple of four") << b;
        }
        // cptl * 8 wraps to a small number in 32-bit arithmetic.
        QTest::newRow("point count overflow")
            << EmfBuilder()
                   .addRaw(record32({U_EMR_POLYLINE, 36, 0, 0, 0, 0, 0x20000001, 1, 1}))
                   .finish();
        QTest::newRow("poly-polygon counts beyond the record")
            << EmfBuilder()
                   .addRaw(record32({U_EMR_POLYPOLYGON, 40, 0, 0, 0, 0, 1, 1000, 1000, 0}))
                   .finish();
        QTest::newRow("text beyond the record")
            << EmfBuilder()
                   .addRaw(record32({U_EMR_EXTTEXTOUTW, 76, 0, 0, 0, 0, 1, 0, 0, 0, 0, 500, 76, 0,
                                     0, 0, 0, 0, 0}))
                   .finish();
        QTest::newRow("small text beyond the record")
            << EmfBuilder()
                   .addRaw(record32({U_EMR_SMALLTEXTOUT, 40, 0, 0, 1000,
                                     U_ETO_NO_RECT | U_ETO_SMALL_CHARS, 1, 0, 0, 0}))
                   .finish();
        QTest::newRow("region count beyond the data")
            << EmfBuilder()
                   .addRaw(record32(
                       {U_EMR_EXTSELECTCLIPRGN, 48, 32, U_RGN_COPY, 32, 1, 1000000, 0, 0, 0, 0, 0}))
                   .finish();
        QTest::newRow("dib of more than 512 MB")
            << EmfBuilder().addRaw(stretchDib(20000, 20000, 32, 0, 16)).finish();
        QTest::newRow("dib whose size overflows 64 bits")
            << EmfBuilder().addRaw(stretchDib(INT32_MAX, INT32_MIN, 32, 0, 16)).finish();
        QTest::newRow("dib colour table beyond the record")
            << EmfBuilder().addRaw(stretchDib(4, 4, 8, 200, 16)).finish();

        WmfBuilder sound;
        sound.add(U_WMRRECTANGLE_set(wmfRect(0, 0, 100, 100)));
        sound.add(U_WMRRECTANGLE_set(wmfRect(0, 0, 100, 100)));
        const QByteArray wmf = sound.finish();
        QVERIFY(refusal(wmf).isEmpty());
        QTest::newRow("wmf without placeable header") << wmf.mid(22); // the standard header alone
        {
            QByteArray b = wmf;
            b[14] = 0;
            b[15] = 0; // zero units per inch
            QTest::newRow("wmf zero units per inch") << b;
        }
        {
            WmfBuilder b;
            b.add(U_WMRPOLYLINE_set(2, std::vector<U_POINT16>{{0, 0}, {10, 10}}.data()));
            QByteArray bytes = b.finish();
            bytes[40 + 6] = char(0xFF); // 255 points in a record of two
            QTest::newRow("wmf point count beyond the record") << bytes;
        }
        {
            QByteArray b = wmf;
            const quint32 zero = 0;
            std::memcpy(b.data() + 40, &zero, 4); // the first record claims size 0
            QTest::newRow("wmf record of size zero") << b;
        }
    }
    void refusedWithTheMetafileMessage() {
        QFETCH(QByteArray, bytes);
        QCOMPARE(refusal(bytes), QString::fromUtf8(platform_errors::kMetafileInvalid));
    }

    void refusesMissingFiles() {
        QVERIFY_THROWS_EXCEPTION(MetafileError,
                                 Metafile::fromFile(QStringLiteral("/nonexistent/x.emf")));
    }

    void hostileButSoundFilesPlayBounded() {
        // Object indexes far beyond the table, SaveDC far beyond the stack, absurd transforms
        // and coordinates: all played without allocation from the counts and in little time.
        EmfBuilder b;
        b.add(U_EMRCREATEBRUSHINDIRECT_set(0xFFFFFFF0,
                                           logbrush_set(U_BS_SOLID, colorref_set(0, 0, 0), 0)));
        b.add(U_EMRSELECTOBJECT_set(0x7FFFFFF0));
        b.add(U_EMRDELETEOBJECT_set(0xFFFFFFF0));
        for (int i = 0; i < 20000; ++i)
            b.add(U_EMRSAVEDC_set());
        b.add(U_EMRRESTOREDC_set(-20000));
        b.add(U_EMRRESTOREDC_set(INT32_MIN));
        b.add(U_EMRSETMAPMODE_set(U_MM_ANISOTROPIC));
        b.add(U_EMRSETWINDOWEXTEX_set(sizel_set(1, 1)));
        b.add(U_EMRSETVIEWPORTEXTEX_set(sizel_set(INT32_MAX, INT32_MAX)));
        b.add(U_EMRRECTANGLE_set(emfRect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX)));
        b.add(U_EMRSETWORLDTRANSFORM_set(xform_set(0, 0, 0, 0, 0, 0)));
        b.add(U_EMRSETWORLDTRANSFORM_set(xform_set(1e30f, 0, 0, 1e30f, 0, 0)));
        b.add(U_EMRELLIPSE_set(emfRect(-1000000, -1000000, 1000000, 1000000)));
        // Each exclusion makes the clip region more complex: past a budget they are dropped.
        for (int i = 0; i < 200000; ++i)
            b.add(U_EMREXCLUDECLIPRECT_set(emfRect(i % 499, i % 491, i % 499 + 2, i % 491 + 2)));
        QElapsedTimer timer;
        timer.start();
        const QImage image = playToImage(b.finish(), QSize(500, 500));
        QVERIFY(!image.isNull());
        QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));
    }

    void wmfObjectTableIsBoundedByItsHeader() {
        // Sixteen slots in the header: the seventeenth pen has no slot, and selecting a slot
        // that was never filled changes nothing.
        WmfBuilder b;
        for (int i = 0; i < 17; ++i)
            b.add(U_WMRCREATEPENINDIRECT_set(U_PEN_set(U_PS_SOLID, 1, colorref_set(255, 0, 0))));
        b.add(U_WMRSELECTOBJECT_set(16));
        b.add(U_WMRSELECTOBJECT_set(60000));
        b.add(U_WMRMOVETO_set(wmfPoint(0, 500)));
        b.add(U_WMRLINETO_set(wmfPoint(1000, 500)));
        const QImage image = playToImage(b.finish(), QSize(100, 100));
        QCOMPARE(image.pixel(50, 50) & 0xFFFFFF, 0u); // still the default black pen
    }

    void everySharedEmfDraws() {
        const QStringList files =
            filesIn(kShared + QStringLiteral("/emf"), QStringLiteral("*.emf"));
        if (files.isEmpty())
            QSKIP("shared test data absent");
        int drawn = 0;
        for (const QString& path : files) {
            const Metafile m = Metafile::fromFile(path);
            QVERIFY(m.sizeHundredthsMm().width() > 0 && m.sizeHundredthsMm().height() > 0);
            QImage image(400, 400, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            MetafilePlayer::play(m, painter, QRectF(image.rect()));
            painter.end();
            drawn += !inkBounds(image).isEmpty();
        }
        // One file of the set selects objects and draws nothing; all others leave ink.
        QVERIFY2(drawn >= files.size() - 1, qPrintable(QString::number(drawn)));
    }

    void sharedWmfsDrawOrAreRefusedWhenNotPlaceable() {
        const QStringList files =
            filesIn(kShared + QStringLiteral("/wmf"), QStringLiteral("*.wmf"));
        if (files.isEmpty())
            QSKIP("shared test data absent");
        for (const QString& path : files) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray bytes = f.readAll();
            const bool placeable = bytes.startsWith("\xD7\xCD\xC6\x9A");
            if (!placeable) {
                QCOMPARE(refusal(bytes), QString::fromUtf8(platform_errors::kMetafileInvalid));
                continue;
            }
            const QImage image = playToImage(bytes, QSize(300, 300));
            QVERIFY2(!inkBounds(image).isEmpty(), qPrintable(path));
        }
    }

    void corruptEmfsAreRefusedOrPlaySoundRecords() {
        const QStringList files =
            filesIn(kShared + QStringLiteral("/emf-corrupt"), QStringLiteral("*.emf"));
        if (files.isEmpty())
            QSKIP("shared test data absent");
        for (const QString& path : files) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray bytes = f.readAll();
            const QString verdict = refusal(bytes);
            if (verdict.isEmpty())
                playToImage(bytes, QSize(300, 300));
            else
                QCOMPARE(verdict, QString::fromUtf8(platform_errors::kMetafileInvalid));
        }
    }

    void everyTruncationOfASharedFileIsSafe() {
        // Each prefix of a real file is either refused or played; none is read past its end.
        QFile f(kShared + QStringLiteral("/emf/test-027.emf"));
        if (!f.open(QIODevice::ReadOnly))
            QSKIP("shared test data absent");
        const QByteArray whole = f.readAll();
        for (int length = 0; length < whole.size(); length += 4) {
            const QByteArray cut = whole.left(length); // a copy of exactly `length` bytes
            if (refusal(cut).isEmpty())
                playToImage(cut, QSize(64, 64));
        }
    }

    void japaneseLabelsOfTheSharedFigures() {
        const QStringList files =
            filesIn(kShared + QStringLiteral("/emf"), QStringLiteral("jp-*.emf")) +
            filesIn(kShared + QStringLiteral("/wmf"), QStringLiteral("jp-*.wmf"));
        if (files.isEmpty())
            QSKIP("shared test data absent");
        // The UTF-16 figure's advances give half-width katakana a full em, so the extraction
        // sees gaps there; blanks are therefore left out of the comparison.
        for (const QString& path : files) {
            QString text = pdfText(Metafile::fromFile(path));
            text.remove(QRegularExpression(QStringLiteral("\\s")));
            QVERIFY2(text.contains(QStringLiteral("梁B1300×600")), qPrintable(path + text));
            QVERIFY2(text.contains(QStringLiteral("柱C1ｺﾝｸﾘｰﾄ")), qPrintable(path + text));
        }
    }
};

QTEST_MAIN(TestMetafileLoader)
#include "tst_MetafileLoader.moc"
