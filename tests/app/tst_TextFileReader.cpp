#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "app/TextFileReader.h"

class TestTextFileReader : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    QString write(const char* name, const QByteArray& bytes) {
        const QString path = dir_.filePath(QLatin1String(name));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    // Reading path must fail at once with a message that names it and gives a reason.
    void expectFailure(const QString& path, const QString& reason) {
        QElapsedTimer clock;
        clock.start();
        try {
            ReadTextFileLines(path);
            QFAIL("no error");
        } catch (const TextFileError& e) {
            QVERIFY2(e.message().contains(path), qPrintable(e.message()));
            QVERIFY2(e.message().contains(reason), qPrintable(e.message()));
            QCOMPARE(QString::fromUtf8(e.what()), e.message());
        }
        QVERIFY(clock.elapsed() < 5000);
    }

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void readsLinesAsBytes() {
        QCOMPARE(ReadTextFileLines(write("crlf.txt", "\x84\xA1\r\n<Font1>\r\n")),
                 (QByteArrayList{"\x84\xA1", "<Font1>"}));
        QCOMPARE(ReadTextFileLines(write("cr.txt", "a\rb\rc")), (QByteArrayList{"a", "b", "c"}));
        QCOMPARE(ReadTextFileLines(write("mixed.txt", "a\rb\nc\r\n")),
                 (QByteArrayList{"a", "b", "c"}));
        QCOMPARE(ReadTextFileLines(write("empty.txt", "")), QByteArrayList());
        QCOMPARE(ReadTextFileLines(write("nul.txt", QByteArray("a\r\nb\0c\r\nd", 10))),
                 (QByteArrayList{"a", "b"}));
    }

    void breaksAcrossReadChunksStayWhole() {
        // The reader works in 1 MiB pieces: put a CR LF and a NUL on the piece borders.
        const qsizetype chunk = 1 << 20;
        QByteArray text(chunk - 1, 'x');
        text += "\r\n";
        text += QByteArray(chunk - 2, 'y');
        text += "\r\n";
        text += "z";
        text += QByteArray("\0tail\r\n", 7);
        const QByteArrayList lines = ReadTextFileLines(write("big.txt", text));
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QByteArray(chunk - 1, 'x'));
        QCOMPARE(lines[1], QByteArray(chunk - 2, 'y'));
        QCOMPARE(lines[2], QByteArray("z"));
    }

    void missingFile() {
        expectFailure(dir_.filePath("none.txt"), qt_error_string(ENOENT));
        expectFailure(write("plain.txt", "a") + "/under-a-file.txt", qt_error_string(ENOTDIR));
        expectFailure(QString(), qt_error_string(ENOENT));
    }

    void directory() {
        QVERIFY(QDir(dir_.path()).mkpath("folder.txt"));
        expectFailure(dir_.filePath("folder.txt"), qt_error_string(EISDIR));
    }

    void fifoDoesNotBlock() {
        const QString path = dir_.filePath("fifo.txt");
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        expectFailure(path, QStringLiteral("通常のファイルではありません"));
    }

    void devicesAndSocketsAreRefused() {
        expectFailure(QStringLiteral("/dev/zero"), QStringLiteral("通常のファイルではありません"));
        expectFailure(QStringLiteral("/dev/null"), QStringLiteral("通常のファイルではありません"));

        const QString path = dir_.filePath("sock.txt");
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray native = QFile::encodeName(path);
        QVERIFY(size_t(native.size()) < sizeof(address.sun_path));
        std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        expectFailure(path, QStringLiteral("通常のファイルではありません"));
        ::close(fd);
    }

    void symlinkToFifoIsRefused() {
        const QString fifo = dir_.filePath("fifo2");
        const QString link = dir_.filePath("link.txt");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(QFile::link(fifo, link));
        expectFailure(link, QStringLiteral("通常のファイルではありません"));
    }

    void noPermission() {
        const QString path = write("secret.txt", "a");
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
        if (::access(QFile::encodeName(path).constData(), R_OK) == 0)
            QSKIP("the user reads files without permission (root)");
        expectFailure(path, qt_error_string(EACCES));
    }

    void fileLockedForWriting() {
        const QString path = write("locked.txt", "a");
        QFile writer(path);
        QVERIFY(writer.open(QIODevice::ReadWrite));
        QCOMPARE(::flock(writer.handle(), LOCK_EX | LOCK_NB), 0);
        expectFailure(path, QStringLiteral("ロック"));
        QCOMPARE(::flock(writer.handle(), LOCK_UN), 0);
        QCOMPARE(ReadTextFileLines(path), QByteArrayList{"a"});
    }
};

QTEST_GUILESS_MAIN(TestTextFileReader)
#include "tst_TextFileReader.moc"
