#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

#include "document/FigurePathResolver.h"

namespace {

void touch(const QString& path) {
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(path.toUtf8());
}

// Restores the working directory when a test leaves it.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const QString& path) : saved_(QDir::currentPath()) {
        QDir::setCurrent(path);
    }
    ~WorkingDirectory() { QDir::setCurrent(saved_); }

private:
    QString saved_;
};

} // namespace

class TestFigurePathResolver : public QObject {
    Q_OBJECT

    QTemporaryDir root_;
    QString report_;  // the report's folder
    QString working_; // the working directory, elsewhere

    QString inReport(const char* name) const { return report_ + '/' + QString::fromUtf8(name); }

private slots:
    void initTestCase() {
        QVERIFY(root_.isValid());
        report_ = root_.filePath("Job 1");
        working_ = root_.filePath("elsewhere");
        QVERIFY(QDir().mkpath(working_));
        touch(inReport("Sub/Plan.BMP"));
        touch(inReport("figs/beam.emf"));
        touch(inReport("図面/梁.emf"));
        touch(inReport("only-here.jpg"));
        touch(inReport("both.emf"));
        touch(working_ + "/both.emf");
        touch(working_ + "/only-working.emf");
        touch(inReport("data/job/deep.bmp"));
        touch(inReport("deep.bmp"));
        touch(inReport("exact.emf"));
        touch(inReport("EXACT.emf"));
        QVERIFY(QDir().mkpath(inReport("folder.bmp")));
        QVERIFY(::mkfifo(QFile::encodeName(inReport("pipe.bmp")).constData(), 0600) == 0);
        touch(inReport("lit\\eral.bmp")); // a file name that holds a backslash
    }

    void namesResolve_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected"); // below the report's folder, or "W:" working

        QTest::newRow("backslash, mixed case") << "sub\\plan.bmp"
                                               << "Sub/Plan.BMP";
        QTest::newRow("slash, upper case") << "SUB/PLAN.bmp"
                                           << "Sub/Plan.BMP";
        QTest::newRow("doubled separators") << "Sub\\\\Plan.BMP"
                                            << "Sub/Plan.BMP";
        QTest::newRow("dot folder") << ".\\figs\\beam.emf"
                                    << "figs/beam.emf";
        QTest::newRow("parent folder") << "..\\Job 1\\figs\\BEAM.EMF"
                                       << "figs/beam.emf";
        QTest::newRow("Japanese names") << "図面\\梁.EMF"
                                        << "図面/梁.emf";
        QTest::newRow("drive letter") << "C:\\Users\\kozo\\Job 1\\Sub\\plan.bmp"
                                      << "Sub/Plan.BMP";
        QTest::newRow("drive letter, lower case, slashes") << "d:/work/figs/beam.emf"
                                                           << "figs/beam.emf";
        QTest::newRow("drive-relative") << "C:sub\\plan.bmp"
                                        << "Sub/Plan.BMP";
        QTest::newRow("UNC") << "\\\\server\\share\\figs\\beam.emf"
                             << "figs/beam.emf";
        QTest::newRow("UNC share is a folder here") << "\\\\server\\Sub\\plan.bmp"
                                                    << "Sub/Plan.BMP";
        QTest::newRow("root of the drive") << "\\figs\\beam.emf"
                                           << "figs/beam.emf";
        QTest::newRow("longest tail first") << "C:\\data\\job\\deep.bmp"
                                            << "data/job/deep.bmp";
        QTest::newRow("shorter tail") << "C:\\other\\deep.bmp"
                                      << "deep.bmp";
        QTest::newRow("exact spelling first") << "exact.emf"
                                              << "exact.emf";
        QTest::newRow("exact spelling first, upper") << "EXACT.emf"
                                                     << "EXACT.emf";
        QTest::newRow("report folder before working directory") << "both.emf"
                                                                << "both.emf";
        QTest::newRow("working directory after") << "only-working.emf"
                                                 << "W:only-working.emf";
        QTest::newRow("name with a backslash as written") << "lit\\eral.bmp"
                                                          << "lit\\eral.bmp";
        QTest::newRow("missing") << "sub\\nothing.bmp"
                                 << "";
        QTest::newRow("missing folder") << "nowhere\\plan.bmp"
                                        << "";
        QTest::newRow("drive path without a tail here") << "C:\\x\\y\\z.bmp"
                                                        << "";
        QTest::newRow("a folder is not a figure") << "FOLDER.bmp"
                                                  << "";
        QTest::newRow("a FIFO is not a figure") << "pipe.bmp"
                                                << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("NUL") << QString("figs/beam.emf") + QChar(0) + "x"
                             << "";
    }
    void namesResolve() {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        WorkingDirectory cd(working_);
        const QString found = FigurePathResolver(report_).resolve(name);
        if (expected.isEmpty()) {
            QCOMPARE(found, QString());
            return;
        }
        const QString want =
            expected.startsWith("W:") ? working_ + '/' + expected.mid(2) : report_ + '/' + expected;
        QCOMPARE(QFileInfo(found).canonicalFilePath(), QFileInfo(want).canonicalFilePath());
    }

    void absolutePathsOfThisSystem() {
        // As written, and without regard to case, wherever the working directory is.
        WorkingDirectory cd(working_);
        const FigurePathResolver resolver{QString()};
        QCOMPARE(resolver.resolve(inReport("Sub/Plan.BMP")), inReport("Sub/Plan.BMP"));
        QCOMPARE(QFileInfo(resolver.resolve(inReport("sub/plan.bmp"))).canonicalFilePath(),
                 QFileInfo(inReport("Sub/Plan.BMP")).canonicalFilePath());
        QCOMPARE(resolver.resolve(inReport("sub/missing.bmp")), QString());
    }

    void withoutReportFolderTheWorkingDirectoryIsSearched() {
        WorkingDirectory cd(report_);
        const FigurePathResolver resolver{QString()};
        QCOMPARE(QFileInfo(resolver.resolve("SUB\\PLAN.BMP")).canonicalFilePath(),
                 QFileInfo(inReport("Sub/Plan.BMP")).canonicalFilePath());
    }
};

QTEST_GUILESS_MAIN(TestFigurePathResolver)
#include "tst_FigurePathResolver.moc"
