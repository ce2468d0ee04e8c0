// Output on a full file system, as a user meets it: the built program and the preview window
// write their PDF files and print spool files onto a small tmpfs that fills up half-way. A
// failed write must never look like success: the tool exits non-zero with the file and the
// system's reason, a PDF that was there keeps its content, no temporary file is left, and no
// job reaches the print queue. Needs root (to mount the tmpfs) and, for --print, the shared
// test print scheduler; skips with the reason otherwise.

#include <QDir>
#include <QFile>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/statvfs.h>
#include <unistd.h>

#include "app/AppErrors.h"
#include "app/Application.h"
#include "pages/PagesErrors.h"
#include "platform/FontSubstitution.h"
#include "support/CupsTestQueue.h"
#include "support/PagedLines.h"
#include "support/RunTool.h"
#include "ui/FormPreView.h"

#define REQUIRE_FULL_DISK()                                                                        \
    do {                                                                                           \
        if (!noMount_.isEmpty())                                                                   \
            QSKIP(qPrintable(noMount_));                                                           \
    } while (false)

namespace {

QStringList errors;

const QString SampleReport = QStringLiteral(FOLIOSCOPE_SOURCE_DIR "/examples/sample-report.txt");
const QString Filler = QStringLiteral("filler");
// What is left free on the file system when a test starts: the PDF header fits, the pages do
// not, so the writer meets a short write and then a refusal.
constexpr qint64 FreeBytes = 8 * 1024;

QString noSpace() {
    return QString::fromLocal8Bit(std::strerror(ENOSPC));
}

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestFullDisk : public QObject {
    Q_OBJECT
    QTemporaryDir base_;
    QString full_; // the mount point of the small tmpfs
    bool mounted_ = false;
    QString noMount_;
    std::unique_ptr<cups_test::Scheduler> cups_;
    QString noCups_;

    // Everything on the file system but the filler.
    QStringList entries() const {
        QStringList names = QDir(full_).entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                  QDir::Hidden | QDir::System);
        names.removeAll(Filler);
        return names;
    }

    // Empties the file system, writes the files given (name, content), then fills it up to
    // FreeBytes.
    bool prepare(const QList<QPair<QString, QByteArray>>& files = {}) {
        for (const QString& name : entries())
            QFile::remove(QDir(full_).filePath(name));
        for (const auto& [name, content] : files) {
            QFile file(QDir(full_).filePath(name));
            if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
                return false;
        }
        struct statvfs fs {};
        if (statvfs(full_.toLocal8Bit().constData(), &fs) != 0)
            return false;
        const qint64 fill = qint64(fs.f_bavail) * qint64(fs.f_frsize) - FreeBytes;
        QFile filler(QDir(full_).filePath(Filler));
        return fill <= 0 || (filler.open(QIODevice::WriteOnly) &&
                             filler.write(QByteArray(fill, 'x')) == fill && filler.flush());
    }

private slots:
    void initTestCase() {
        font_substitution::install();
        if (geteuid() != 0) {
            noMount_ = QStringLiteral("mounting a small file system needs root");
            return;
        }
        full_ = base_.filePath(QStringLiteral("full"));
        QVERIFY(QDir().mkpath(full_));
        QProcess mount;
        mount.start(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=256k", "tmpfs", full_});
        mounted_ = mount.waitForFinished(30000) && mount.exitStatus() == QProcess::NormalExit &&
                   mount.exitCode() == 0;
        if (!mounted_) {
            noMount_ = QStringLiteral("mount -t tmpfs failed: %1")
                           .arg(QString::fromLocal8Bit(mount.readAllStandardError()).trimmed());
            return;
        }
        noCups_ = cups_test::startForTests(cups_);
    }
    void cleanupTestCase() {
        cups_.reset();
        if (mounted_)
            QVERIFY(cups_test::runQuietly(QStringLiteral("umount"), {full_}));
    }
    void init() { errors.clear(); }

    // --pdf onto the full file system: exit 1 with one line naming the file and the reason;
    // a new file stays absent, an existing one keeps its content; nothing else is left.
    void pdfExportFails_data() {
        QTest::addColumn<QByteArray>("existing"); // empty: no file under the name before
        QTest::newRow("new PDF") << QByteArray();
        QTest::newRow("existing PDF") << QByteArray("%PDF-1.4\n% the whole earlier export\n");
    }
    void pdfExportFails() {
        REQUIRE_FULL_DISK();
        QFETCH(QByteArray, existing);
        const QString name = QStringLiteral("report.pdf");
        const QString target = QDir(full_).filePath(name);
        QVERIFY(prepare(existing.isEmpty() ? QList<QPair<QString, QByteArray>>{}
                                           : QList<QPair<QString, QByteArray>>{{name, existing}}));
        const ToolRun run = runTool({"--pdf", target, SampleReport});
        QCOMPARE(run.exitCode, 1);
        const QString expected =
            QStringLiteral("folioscope: ") + text(app_errors::CannotWrite).arg(target, noSpace());
        QVERIFY2(run.err.split('\n').contains(expected), qPrintable(run.err));
        QCOMPARE(run.err.count(QStringLiteral("folioscope:")), 1);
        QCOMPARE(entries(), existing.isEmpty() ? QStringList() : QStringList{name});
        if (!existing.isEmpty())
            QCOMPARE(readAll(target), existing);

        // The same export with room to spare writes a whole file: the failure was the disk's.
        const QString roomy = base_.filePath(QStringLiteral("roomy.pdf"));
        QCOMPARE(runTool({"--pdf", roomy, SampleReport}).exitCode, 0);
        QVERIFY(QFileInfo(roomy).size() > FreeBytes);
    }

    // --print with the temporary folder on the full file system: the spool file cannot be
    // written whole, so no job is sent, and the tool says why.
    void printSendsNoJobWhenTheSpoolFileIsCut() {
        REQUIRE_FULL_DISK();
        REQUIRE_CUPS();
        QVERIFY(prepare());
        const auto before = cups_test::jobIds();
        // Qt would make its runtime folder in the temporary folder when none is set.
        const QString runtime = base_.filePath(QStringLiteral("runtime"));
        QVERIFY(QDir().mkpath(runtime));
        QVERIFY(
            QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const ToolRun run = runTool({"--print", SampleReport}, QString(),
                                    {"TMPDIR=" + full_, "XDG_RUNTIME_DIR=" + runtime});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.out.isEmpty());
        // One line: what failed, then why, in the command line's words.
        const QString message =
            text(app_errors::PrintFailed)
                .arg(SampleReport,
                     text(app_errors::SpoolNotWritten).arg(QStringLiteral("SPOOL"), noSpace()));
        const QRegularExpression line(
            "^folioscope: " +
                QRegularExpression::escape(message).replace(
                    QStringLiteral("SPOOL"), QRegularExpression::escape(full_) +
                                                 QStringLiteral("/folioscope-job-\\w+\\.pdf")) +
                "$",
            QRegularExpression::MultilineOption);
        QVERIFY2(line.match(run.err).hasMatch(), qPrintable(run.err));
        QVERIFY(cups_test::waitIdle());
        QCOMPARE(cups_test::jobIds(), before);
        QCOMPARE(entries(), QStringList());
    }

    // The preview's "PDF出力..." button writes through the same checked path; its failure
    // reaches the standard error box in Japanese, with the file and the system's reason.
    void previewPdfButtonReportsTheFailure() {
        REQUIRE_FULL_DISK();
        QVERIFY(prepare());
        const QByteArrayList lines = pagedLines(60);
        TFormPreView window;
        window.FileName = QStringLiteral("/data/report.txt");
        window.Lines = &lines;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QString target = QDir(full_).filePath(QStringLiteral("preview.pdf"));
        window.ChoosePdfFile = [&](QWidget*, const QString&) { return target; };
        // Posted, so that the failure travels to the standard error box as a click's would.
        QMetaObject::invokeMethod(&window, &TFormPreView::BitBtnPdfOutClick, Qt::QueuedConnection);
        QCoreApplication::processEvents();
        QCOMPARE(errors, QStringList{text(pages_errors::PdfNotWritten).arg(target, noSpace())});
        QCOMPARE(entries(), QStringList());
    }
};

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    Application app(argc, argv);
    app.ReportError = [](const QString& message) { errors << message; };
    TestFullDisk test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_FullDisk.moc"
