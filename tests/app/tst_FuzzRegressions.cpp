// Every fuzz harness on the inputs that fuzzing found once (tests/data/fuzz-regressions/<Name>),
// its seed corpus (fuzz/corpus/<Name>) and the third-party files of its kind: each must run
// to its end. Under AddressSanitizer and UndefinedBehaviorSanitizer (./dev.sh check) a fault
// in any of them stops the test.

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QTest>

#include "FuzzEntries.h"

namespace {

// Third-party folders (../shared/testdata) that feed each harness.
QStringList sharedFolders(const QString& harness) {
    if (harness == QLatin1String("EmfFile"))
        return {QStringLiteral("emf"), QStringLiteral("emf-corrupt")};
    if (harness == QLatin1String("WmfFile"))
        return {QStringLiteral("wmf")};
    if (harness == QLatin1String("BmpFile"))
        return {QStringLiteral("bmp")};
    if (harness == QLatin1String("JpegFile"))
        return {QStringLiteral("jpeg")};
    if (harness == QLatin1String("Layout") || harness == QLatin1String("TextLine"))
        return {QStringLiteral("sjis")};
    return {};
}

QStringList filesIn(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

} // namespace

class TestFuzzRegressions : public QObject {
    Q_OBJECT
private slots:
    void harnessesRunToTheEnd_data() {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("path");
        const QString source = QStringLiteral(FOLIOSCOPE_SOURCE_DIR);
        for (int i = 0; fuzzEntries[i].name; ++i) {
            const QString name = QString::fromLatin1(fuzzEntries[i].name);
            QStringList folders = {source + "/tests/data/fuzz-regressions/" + name,
                                   source + "/fuzz/corpus/" + name};
            for (const QString& shared : sharedFolders(name))
                folders << QStringLiteral(FOLIOSCOPE_SHARED_TESTDATA) + '/' + shared;
            bool any = false;
            for (const QString& folder : folders) {
                for (const QString& file : filesIn(folder)) {
                    QTest::addRow("%s %s", fuzzEntries[i].name,
                                  qPrintable(QDir(source).relativeFilePath(file)))
                        << i << file;
                    any = true;
                }
            }
            if (!any) // shows as a skip: a harness with nothing to run protects nothing
                QTest::addRow("%s (no inputs)", fuzzEntries[i].name) << i << QString();
        }
    }
    void harnessesRunToTheEnd() {
        QFETCH(int, entry);
        QFETCH(QString, path);
        if (path.isEmpty())
            QSKIP("no regression inputs or seeds for this harness");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(fuzzEntries[entry].run(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                        size_t(bytes.size())),
                 0);
        // Generous: the sanitizers slow everything down several times.
        QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));
    }
};

QTEST_MAIN(TestFuzzRegressions)
#include "tst_FuzzRegressions.moc"
