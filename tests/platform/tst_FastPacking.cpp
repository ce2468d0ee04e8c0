#include <QTest>

#include "platform/FastPacking.h"

class tst_FastPacking : public QObject {
    Q_OBJECT
private slots:
    void roundTrips_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("one byte") << QByteArray("x");
        QByteArray drawing(6 * 1024 * 1024, '\xff');
        for (qsizetype i = 0; i < drawing.size(); i += 4801)
            drawing[i] = char(i % 251);
        QTest::newRow("a drawing's bitmap") << drawing;
    }
    void roundTrips() {
        QFETCH(QByteArray, bytes);
        const QByteArray packed = fast_packing::pack(bytes);
        QVERIFY(!packed.isEmpty());
        QCOMPARE(fast_packing::unpack(packed), bytes);
        if (bytes.size() > 1024 * 1024)
            QVERIFY(packed.size() < bytes.size() / 100);
    }

    // Bytes that are not what pack wrote are refused, never read past their end.
    void refusesDamagedFrames() {
        QByteArray bytes(100000, 'a');
        for (int i = 0; i < bytes.size(); i += 7)
            bytes[i] = char(i);
        const QByteArray packed = fast_packing::pack(bytes);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, fast_packing::unpack(packed.left(10)));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 fast_packing::unpack(QByteArray("plain text")));
        QByteArray damaged = packed;
        damaged.truncate(packed.size() - 3);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, fast_packing::unpack(damaged));
    }
};

QTEST_GUILESS_MAIN(tst_FastPacking)
#include "tst_FastPacking.moc"
