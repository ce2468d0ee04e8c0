#pragma once
// A real print scheduler for the printing tests: starts the shared headless CUPS with its PDF
// queue (as root), adds further queues from PPD files, and reads back what a job was: its
// attributes from the scheduler and the file as the program sent it (kept in the spool folder).
// Tests skip where no root or no script is available.

#include <QDir>
#include <QFileInfo>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTest>
#include <QThread>
#include <cups/cups.h>
#include <functional>
#include <memory>
#include <unistd.h>

#include "support/PdfText.h"

// Skips the calling test function (QSKIP returns from the function it is written in) when
// the test's noCups_ names a reason.
#define REQUIRE_CUPS()                                                                             \
    do {                                                                                           \
        if (!noCups_.isEmpty())                                                                    \
            QSKIP(qPrintable(noCups_));                                                            \
    } while (false)

namespace cups_test {

inline bool runQuietly(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

using pdf_text::findWord;
using pdf_text::output;
using pdf_text::Word;
using pdf_text::words;

// The shared script: beside the test data, or two folders above a worktree's checkout.
inline QString scriptPath() {
    for (const QString& dir : {QStringLiteral(FOLIOSCOPE_SHARED_TESTDATA "/.."),
                               QStringLiteral(FOLIOSCOPE_SOURCE_DIR "/../shared"),
                               QStringLiteral(FOLIOSCOPE_SOURCE_DIR "/../../shared")}) {
        const QString path = QDir(dir).filePath(QStringLiteral("cups-test-printer.sh"));
        if (QFileInfo::exists(path))
            return QFileInfo(path).absoluteFilePath();
    }
    return {};
}

// Why the scheduler cannot be started here, or empty when it can.
inline QString unavailableReason() {
    if (geteuid() != 0)
        return QStringLiteral("starting a print scheduler needs root");
    if (scriptPath().isEmpty())
        return QStringLiteral("cups-test-printer.sh is not there");
    if (!QFileInfo::exists(QStringLiteral("/usr/sbin/cupsd")))
        return QStringLiteral("cupsd is not installed");
    return {};
}

inline bool schedulerRunning() {
    return output("lpstat", {"-r"}).contains("is running");
}

// Waits until the scheduler is running (or stopped, as wanted).
inline bool waitScheduler(bool running, int timeoutMs = 15000) {
    for (int waited = 0; waited < timeoutMs; waited += 200) {
        if (schedulerRunning() == running)
            return true;
        QThread::msleep(200);
    }
    return false;
}

class Scheduler {
public:
    static constexpr const char* Queue = "FolioscopeTestPDF";

    ~Scheduler() {
        for (const QString& queue : added_)
            runQuietly("lpadmin", {"-x", queue});
        // Only a scheduler started here is stopped; one that was running stays.
        if (startedHere_) {
            runQuietly("bash", {scriptPath(), "stop"});
            waitScheduler(false); // the next test may start it again at once
        }
    }
    // Starts the scheduler and the PDF queue (the default queue) unless both are there.
    bool start() {
        startedHere_ = !schedulerRunning();
        if (!startedHere_ && runQuietly("lpstat", {"-p", Queue}) &&
            runQuietly("lpadmin", {"-d", Queue}))
            return true;
        const QString out = QDir::temp().filePath("folioscope-cups-out");
        return runQuietly("bash", {scriptPath(), "start", out}) && waitScheduler(true);
    }
    // A queue that prints like the PDF queue, described by the PPD file ppd.
    bool addQueue(const QString& name, const QString& ppd) {
        added_ << name;
        return runQuietly("lpadmin", {"-p", name, "-E", "-v", "cups-pdf:/", "-P", ppd});
    }

private:
    bool startedHere_ = false;
    QStringList added_;
};

// For a test's initTestCase: starts the scheduler into cups, lets addQueues add the test's
// own queues, and waits until the PDF queue is this process's default printer. Returns why
// the printing cases skip here, or empty. A default printer that does not appear fails the
// test (the scheduler started, so the machine can print).
inline QString startForTests(std::unique_ptr<Scheduler>& cups,
                             const std::function<bool(Scheduler&)>& addQueues = {}) {
    if (QString reason = unavailableReason(); !reason.isEmpty())
        return reason;
    cups = std::make_unique<Scheduler>();
    if (!cups->start() || (addQueues && !addQueues(*cups)))
        return QStringLiteral("the test print scheduler did not start");
    if (!QTest::qWaitFor(
            [] { return QPrinterInfo::defaultPrinterName() == QLatin1String(Scheduler::Queue); },
            15000)) {
        QTest::qFail("the test print queue did not become the default printer", __FILE__, __LINE__);
        return QStringLiteral("the test print queue is not the default printer");
    }
    return {};
}

// Waits until no job is pending (cups-pdf writes its file before it is complete).
inline bool waitIdle(int timeoutMs = 120000) {
    for (int waited = 0; waited < timeoutMs; waited += 250) {
        if (output("lpstat", {"-o"}).trimmed().isEmpty())
            return true;
        QThread::msleep(250);
    }
    return false;
}

// Ids of every job the scheduler knows, pending and done.
inline QList<int> jobIds() {
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
    QList<int> ids;
    for (int i = 0; i < count; ++i)
        ids << jobs[i].id;
    cupsFreeJobs(count, jobs);
    return ids;
}

struct JobAttributes {
    QString name;
    QString documentName; // as the document was sent ("document-name-supplied")
    int copies = 1;
    bool choosesPages = false; // the job asks the scheduler for a page range or page set
    bool landscape = false;    // a "landscape" option reached the job
    bool found = false;
};

inline JobAttributes jobAttributes(int job) {
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    const QByteArray uri = "ipp://localhost/jobs/" + QByteArray::number(job);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.constData());
    // The scheduler shows a job's name to its owner only.
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    JobAttributes result;
    ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    if (!response)
        return result;
    result.found = ippGetStatusCode(response) <= IPP_STATUS_OK_EVENTS_COMPLETE;
    if (ipp_attribute_t* name = ippFindAttribute(response, "job-name", IPP_TAG_NAME))
        result.name = QString::fromUtf8(ippGetString(name, 0, nullptr));
    if (ipp_attribute_t* document =
            ippFindAttribute(response, "document-name-supplied", IPP_TAG_ZERO))
        result.documentName = QString::fromUtf8(ippGetString(document, 0, nullptr));
    result.landscape = ippFindAttribute(response, "landscape", IPP_TAG_ZERO) != nullptr;
    if (ipp_attribute_t* copies = ippFindAttribute(response, "copies", IPP_TAG_INTEGER))
        result.copies = ippGetInteger(copies, 0);
    result.choosesPages = ippFindAttribute(response, "page-ranges", IPP_TAG_ZERO) ||
                          ippFindAttribute(response, "page-set", IPP_TAG_ZERO);
    ippDelete(response);
    return result;
}

// The document of a job as the program sent it (PreserveJobFiles keeps it).
inline QString spoolFile(int job) {
    return QStringLiteral("/var/spool/cups/d%1-001").arg(job, 5, 10, QLatin1Char('0'));
}

inline int pdfPageCount(const QString& pdf) {
    static const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
    const auto match = pages.match(output("pdfinfo", {pdf}));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

} // namespace cups_test
