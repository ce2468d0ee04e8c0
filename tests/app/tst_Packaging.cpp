#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include "app/ProgramOptions.h"

// The files the package installs beside the program, checked from the build tree so that
// ./dev.sh test catches a broken desktop entry, manual page or icon without building the
// package (scripts/package-test.sh checks the package itself).
class TestPackaging : public QObject {
    Q_OBJECT

    const QString source_ = QStringLiteral(FOLIOSCOPE_SOURCE_DIR);
    const QString staged_ = QFileInfo(QStringLiteral(FOLIOSCOPE_BINARY)).path() + "/packaging";

    // Runs a tool; its exit code and everything it printed on stderr.
    static std::pair<int, QString> run(const QString& program, const QStringList& arguments,
                                       QByteArray* out = nullptr) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LC_ALL", "C.UTF-8");
        env.insert("MANWIDTH", "80");
        process.setProcessEnvironment(env);
        process.start(program, arguments);
        if (!process.waitForFinished(60000))
            return {-1, QStringLiteral("did not finish")};
        if (out)
            *out = process.readAllStandardOutput();
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
    }

    QString manPage() const {
        QFile file(staged_ + "/folioscope.1");
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

private slots:
    void desktopEntryIsValid() {
        const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
        if (validator.isEmpty())
            QSKIP("desktop-file-validate is not installed (desktop-file-utils)");
        const auto [code, err] = run(validator, {source_ + "/packaging/folioscope.desktop"});
        QVERIFY2(code == 0 && err.isEmpty(), qPrintable(err));
    }

    void manPageRendersWithoutWarnings() {
        const QString man = QStandardPaths::findExecutable("man");
        if (man.isEmpty())
            QSKIP("man is not installed (man-db)");
        QByteArray text;
        const auto [code, err] = run(man, {"--warnings", "-l", staged_ + "/folioscope.1"}, &text);
        QVERIFY2(code == 0 && err.isEmpty(), qPrintable(err));
        QVERIFY(text.contains("EXIT STATUS"));
        QVERIFY(!manPage().contains("@PROJECT_VERSION@"));
    }

    // Every option the program knows is in the manual page, so that a new option cannot be
    // added without its documentation.
    void manPageNamesEveryOption() {
        const QString page = manPage();
        QVERIFY(!page.isEmpty());
        const QRegularExpression option(QStringLiteral("(?:^|\\s)--([a-z0-9][a-z0-9-]*)"));
        int seen = 0;
        for (const auto& match : option.globalMatch(ProgramOptions::helpText())) {
            QString roff = match.captured(1);
            roff.replace('-', QLatin1String("\\-"));
            QVERIFY2(page.contains("\\-\\-" + roff), qPrintable(match.captured(1)));
            ++seen;
        }
        QVERIFY(seen >= 15);
    }

    void iconsHaveTheirSizes() {
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            const QImage icon(
                QStringLiteral("%1/icons/%2x%2/apps/folioscope.png").arg(staged_).arg(size));
            QCOMPARE(icon.size(), QSize(size, size));
            QVERIFY(icon.hasAlphaChannel());
            // Drawn, not blank: the centre pixel is opaque, a corner transparent.
            QCOMPARE(qAlpha(icon.pixel(size / 2, size / 2)), 255);
            QCOMPARE(qAlpha(icon.pixel(0, size - 1)), 0);
        }
    }
};

QTEST_MAIN(TestPackaging)
#include "tst_Packaging.moc"
