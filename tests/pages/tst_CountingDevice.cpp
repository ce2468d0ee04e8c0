// The device between the PDF writer and its file: what a file that takes only part of what
// it is given (a full disk) looks like to the writer and to the caller who checks before
// committing.

#include <QtTest>

#include "pages/CountingDevice.h"

namespace {

// Takes at most room bytes in all: the write that reaches the limit is cut short, later ones
// are refused with a reason, as a file on a full disk is.
class FillingDevice : public QIODevice {
public:
    explicit FillingDevice(qint64 room) : room_(room) { open(WriteOnly | Unbuffered); }
    QByteArray data;
    int writes = 0;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* bytes, qint64 size) override {
        ++writes;
        const qint64 taken = qMin(size, room_ - data.size());
        if (taken <= 0) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        data.append(bytes, taken);
        return taken;
    }

private:
    qint64 room_;
};

} // namespace

class TestCountingDevice : public QObject {
    Q_OBJECT
private slots:
    // Writes of the given sizes into a target with room for so many bytes: every byte is
    // passed on in order while there is room, and the first refusal is kept and reported.
    void countsAndKeepsTheFirstFailure_data() {
        QTest::addColumn<qint64>("room");
        QTest::addColumn<QList<int>>("writes");
        QTest::addColumn<bool>("whole");
        const qint64 plenty = 1 << 24;
        QTest::newRow("small writes, room") << plenty << QList<int>{10, 3000, 1, 70000, 5} << true;
        QTest::newRow("nothing written") << plenty << QList<int>{} << true;
        QTest::newRow("exactly the room") << qint64(70000) << QList<int>{30000, 40000} << true;
        QTest::newRow("short write, then refusal")
            << qint64(3945 + 200855) << QList<int>{3945, 7232155, 100} << false;
        QTest::newRow("full when the buffer is passed on")
            << qint64(100) << QList<int>{50, 60, 70} << false;
        QTest::newRow("no room at all") << qint64(0) << QList<int>{1} << false;
    }
    void countsAndKeepsTheFirstFailure() {
        QFETCH(qint64, room);
        QFETCH(QList<int>, writes);
        QFETCH(bool, whole);
        FillingDevice target(room);
        CountingDevice device(target);
        QByteArray all;
        for (int size : writes) {
            QByteArray piece(size, Qt::Uninitialized);
            for (int i = 0; i < size; ++i)
                piece[i] = char(all.size() + i);
            all += piece;
            const qint64 written = device.write(piece);
            // Once a write has failed, every later one is refused without reaching the target.
            if (device.failed())
                QCOMPARE(written, qint64(-1));
            else
                QCOMPARE(written, qint64(size));
        }
        QCOMPARE(device.finish(), whole);
        QCOMPARE(device.bytesAsked(), qint64(all.size()));
        QCOMPARE(device.bytesTaken(), qint64(target.data.size()));
        QVERIFY(all.startsWith(target.data));
        if (whole) {
            QCOMPARE(target.data, all);
            QVERIFY(device.failure().isEmpty());
        } else {
            QVERIFY(device.bytesTaken() < device.bytesAsked());
            QCOMPARE(device.failure(), QStringLiteral("No space left on device"));
            // After the failure nothing more reaches the target.
            const int targetWrites = target.writes;
            QCOMPARE(device.write("more"), qint64(-1));
            QVERIFY(!device.finish());
            QCOMPARE(target.writes, targetWrites);
        }
    }
};

QTEST_GUILESS_MAIN(TestCountingDevice)
#include "tst_CountingDevice.moc"
