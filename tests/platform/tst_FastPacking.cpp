#include <QTest>

#include "platform/FastPacking.h"

class tst_FastPacking : public QObject {
    Q_OBJECT
private slots:
    // Bytes come back as they were; a drawing's bitmap packs to a fraction; bytes that are not
    // a whole frame of pack() are refused, never read past their end.
    void roundTripsAndRefusesDamagedFrames() {
        QByteArray drawing(6 * 1024 * 1024, '\xff');
        for (qsizetype i = 0; i < drawing.size(); i += 4801)
            drawing[i] = char(i % 251);
        for (const QByteArray& bytes : {QByteArray(), QByteArray("x"), drawing})
            QCOMPARE(fast_packing::unpack(fast_packing::pack(bytes)), bytes);
        const QByteArray packed = fast_packing::pack(drawing);
        QVERIFY(packed.size() < drawing.size() / 100);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, fast_packing::unpack(packed.left(10)));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, fast_packing::unpack(packed.chopped(3)));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, fast_packing::unpack("plain text"));
    }
};

QTEST_GUILESS_MAIN(tst_FastPacking)
#include "tst_FastPacking.moc"
