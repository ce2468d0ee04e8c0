#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "help/HelpFolder.h"

class TestHelpFolder : public QObject {
    Q_OBJECT

    static void touch(const QString& path) {
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

private slots:
    // Layouts: the build tree (help beside the program), an installed prefix (help under
    // share/folioscope), both (the program's own folder wins), neither (the program's folder,
    // where a help call then finds nothing), and a folder named like the file.
    void layouts_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("expected"); // relative to the temporary root
        QTest::newRow("beside the program") << QStringList{"bin/Folioscope2.chm"} << "bin/";
        QTest::newRow("installed")
            << QStringList{"share/folioscope/Folioscope2.chm"} << "share/folioscope/";
        QTest::newRow("both") << QStringList{"bin/Folioscope2.chm",
                                             "share/folioscope/Folioscope2.chm"}
                              << "bin/";
        QTest::newRow("none") << QStringList{} << "bin/";
        QTest::newRow("a folder is no file")
            << QStringList{"share/folioscope/Folioscope2.chm/x"} << "bin/";
    }
    void layouts() {
        QFETCH(QStringList, files);
        QFETCH(QString, expected);
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath("bin"));
        for (const QString& file : files)
            touch(root.filePath(file));
        QCOMPARE(HelpFolderFor(root.filePath("bin/")), root.filePath(expected));
    }
};

QTEST_MAIN(TestHelpFolder)
#include "tst_HelpFolder.moc"
