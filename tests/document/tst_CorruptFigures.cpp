// The damaged figure files of the third-party test data, each named by a report and laid out
// through the real loaders: a damaged figure ends the layout with its message, the page
// recorded before it stays. A damaged metafile whose records are sound up to a clean end may
// play them instead (as the loader's own tests allow); the layout then goes on.

#include <QDir>
#include <QFile>
#include <QTest>

#include "document/LayoutEngine.h"
#include "document/Tags.h"
#include "pages/PrintPreview.h"
#include "platform/Cp932.h"
#include "platform/FontSubstitution.h"

namespace {

const QString shared = QStringLiteral(FOLIOSCOPE_SHARED_TESTDATA);

// The message of a layout of "before", the figure tag, the path, "after" (empty when it
// ends normally), and whether page 1 kept the line before the figure.
struct Outcome {
    QString message;
    bool beforeKept = false;
};

Outcome layOut(QByteArrayView figureTag, const QString& path) {
    TOutputSettings settings;
    LayoutState state;
    state.PrinterInfo = TPrinterInfo::forPaper(QSizeF(210, 297), 72);
    TPrintPreview store;
    LayoutEngine engine(state, store, settings, nullptr);
    engine.CalcFrameGeometry();
    Outcome outcome;
    try {
        engine.LayoutDocument({"before", figureTag.toByteArray(), cp932::encode(path), "after"});
    } catch (const std::exception& e) {
        outcome.message = QString::fromUtf8(e.what());
    }
    if (store.PageCount() > 0)
        for (const PageRecord& r : store.GetPage(0).records())
            if (const auto* t = std::get_if<TextRecord>(&r))
                outcome.beforeKept |= t->bytes == "before";
    return outcome;
}

} // namespace

class TestCorruptFigures : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { font_substitution::install(); }

    void figures_data() {
        QTest::addColumn<QByteArray>("figureTag");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected"); // the message, empty for a figure that draws
        if (!QDir(shared).exists())
            return;
        const QString invalidMetafile = QStringLiteral("メタファイルが不正です");
        for (const QString& name : QDir(shared + "/emf-corrupt").entryList(QDir::Files))
            QTest::newRow(qPrintable("emf-corrupt/" + name))
                << tags::EmfFile.toByteArray() << shared + "/emf-corrupt/" + name
                << invalidMetafile;
        // EXPECT.tsv: file, "draws" or "error", size, note.
        for (const auto& [folder, tag] : {std::pair{QStringLiteral("bmp"), tags::BmpFile},
                                          std::pair{QStringLiteral("jpeg"), tags::JpgFile}}) {
            QFile expect(shared + '/' + folder + "/EXPECT.tsv");
            if (!expect.open(QIODevice::ReadOnly))
                continue;
            for (const QByteArray& line : expect.readAll().split('\n')) {
                const QList<QByteArray> f = line.split('\t');
                if (f.size() < 2 || f[1] != "error")
                    continue;
                const QString name = QString::fromUtf8(f[0]);
                QTest::newRow(qPrintable(folder + '/' + name))
                    << tag.toByteArray() << shared + '/' + folder + '/' + name
                    << (folder == QLatin1String("bmp")
                            ? QStringLiteral("ビットマップイメージが不正です")
                            : QStringLiteral("JPEG エラー #"));
            }
        }
    }
    void figures() {
        if (!QDir(shared).exists())
            QSKIP("third-party test data not found (FOLIOSCOPE_SHARED_TESTDATA)");
        QFETCH(QByteArray, figureTag);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        const Outcome outcome = layOut(figureTag, path);
        const bool playable = path.endsWith(QLatin1String(".emf")) && outcome.message.isEmpty();
        QVERIFY2(playable || outcome.message.startsWith(expected), qPrintable(outcome.message));
        QVERIFY(outcome.beforeKept);
    }
};

QTEST_MAIN(TestCorruptFigures)
#include "tst_CorruptFigures.moc"
