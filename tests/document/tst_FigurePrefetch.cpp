// Figures decoded on worker threads ahead of the layout: the pages, the errors and the notes
// of missing files are those of a layout that loads every figure only when it reaches it.
#include <QDeadlineTimer>
#include <QFile>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <functional>
#include <memory>

#include "document/FigurePrefetch.h"
#include "document/LayoutEngine.h"
#include "document/Tags.h"
#include "pages/PrintPreview.h"
#include "platform/Cp932.h"
#include "platform/FontSubstitution.h"

namespace {

QByteArray tag(QByteArrayView t) {
    return t.toByteArray();
}

// Runs a test's action whenever the layout reaches a figure-file tag, before the figure is
// taken: with the figures decoded so far, the tag's line and its name line.
class WatchedEngine : public LayoutEngine {
public:
    using LayoutEngine::LayoutEngine;
    std::function<void(const FigurePrefetch*, qsizetype, const QByteArray&)> beforeFigure;

protected:
    void handleFigureFile() override {
        if (beforeFigure)
            beforeFigure(prefetch_.get(), LineIndex, lineAt(LineIndex + 1));
        LayoutEngine::handleFigureFile();
    }
};

struct Layout {
    TOutputSettings settings;
    LayoutState state;
    TPrintPreview store;
    WatchedEngine engine{state, store, settings};

    explicit Layout(int threads) {
        state.PrinterInfo = TPrinterInfo::fromDots(595, 842, 595, 842, 0, 0, 72, 72);
        state.CurFont = TextFont{QStringLiteral("ＭＳ 明朝"), 9};
        state.DataKind = -1;
        engine.setFigureDecodeThreads(threads);
    }

    // The error message, or an empty string when the layout ended normally.
    QString run(const QByteArrayList& lines) {
        engine.CalcFrameGeometry();
        try {
            engine.LayoutDocument(lines);
        } catch (const std::runtime_error& e) {
            return QString::fromUtf8(e.what());
        }
        return QString();
    }

    // Every page as text: its text runs with their positions, its images with their target,
    // the figure object they hold and the size they are smoothed to, and its vector figures.
    QStringList pages() const {
        QStringList out;
        for (int i = 0; i < store.PageCount(); ++i) {
            QString page;
            for (const PageRecord& record : store.GetPage(i).records()) {
                if (const auto* t = std::get_if<TextRecord>(&record))
                    page += QStringLiteral("T%1,%2:%3;")
                                .arg(t->topLeft.x())
                                .arg(t->topLeft.y())
                                .arg(cp932::decode(t->bytes));
                else if (const auto* im = std::get_if<ImageRecord>(&record))
                    page += QStringLiteral("I%1,%2,%3,%4:%5:%6x%7;")
                                .arg(im->target.x())
                                .arg(im->target.y())
                                .arg(im->target.width())
                                .arg(im->target.height())
                                .arg(quintptr(im->encoded.get()))
                                .arg(im->resampleTo.width())
                                .arg(im->resampleTo.height());
                else if (const auto* f = std::get_if<FigureRecord>(&record))
                    page += QStringLiteral("F%1,%2;").arg(f->target.x()).arg(f->target.y());
            }
            out.append(page);
        }
        return out;
    }
};

// Waits (up to 10 s) until the workers have decoded the figures of the tags at tagLines.
bool waitForDecoded(const FigurePrefetch* prefetch, std::initializer_list<qsizetype> tagLines) {
    if (!prefetch)
        return false;
    const auto all = [&] {
        return std::all_of(tagLines.begin(), tagLines.end(),
                           [&](qsizetype line) { return prefetch->decoded(line); });
    };
    QDeadlineTimer deadline(10000);
    while (!all() && !deadline.hasExpired())
        QThread::msleep(2);
    return all();
}

} // namespace

class TestFigurePrefetch : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString path(const QString& name) const { return dir_.filePath(name); }
    QByteArray local(const QString& name) const { return cp932::encode(path(name)); }

    void writePicture(const QString& name, QSize size, QRgb colour, const char* format) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        QVERIFY(image.save(path(name), format));
    }
    void writeDamaged(const QString& name) {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray("BM") + QByteArray(60, '\x7f'));
    }

private slots:
    void initTestCase() {
        font_substitution::install();
        QVERIFY(dir_.isValid());
        for (int i = 0; i < 6; ++i)
            writePicture(QStringLiteral("plan%1.bmp").arg(i), QSize(60 + 10 * i, 300),
                         qRgb(40 * i, 100, 200), "BMP");
        for (int i = 0; i < 3; ++i)
            writePicture(QStringLiteral("photo%1.jpg").arg(i), QSize(50, 200 + 10 * i),
                         qRgb(200, 30 * i, 10), "JPEG");
        writeDamaged(QStringLiteral("bad.bmp"));
    }

    void pagesEqualWithAndWithoutWorkers() {
        // Bitmaps and JPEGs over several pages, one bitmap placed three times, a missing one
        // and one named inside a title block (decoded ahead, never taken by the layout).
        QByteArrayList lines;
        const auto figure = [&](QByteArrayView t, const QString& name) {
            lines << tag(t) << local(name);
        };
        lines << tag(tags::TitleStart) << tag(tags::BmpFile) << local("plan5.bmp")
              << tag(tags::TitleEnd);
        for (int i = 0; i < 6; ++i) {
            lines << QByteArray("text ") + QByteArray::number(i);
            figure(i % 2 ? tags::BmpFileC : tags::BmpFile, QStringLiteral("plan%1.bmp").arg(i));
            figure(tags::JpgFile, QStringLiteral("photo%1.jpg").arg(i % 3));
            figure(tags::BmpFileR, QStringLiteral("plan0.bmp"));
            if (i == 3)
                figure(tags::JpgFile, QStringLiteral("none.jpg"));
        }
        for (int drawType : {1, 2}) {
            Layout serial(0);
            serial.settings.BitmapDrawType = drawType;
            QCOMPARE(serial.run(lines), QString());
            QVERIFY(serial.store.PageCount() > 3);
            for (int threads : {1, 3}) {
                Layout pooled(threads);
                pooled.settings.BitmapDrawType = drawType;
                // With three workers every figure is taken from them (the layout waits for
                // the first placing of each file); with one, as it comes.
                QSet<QByteArray> seen;
                if (threads == 3)
                    pooled.engine.beforeFigure = [&](const FigurePrefetch* prefetch, qsizetype line,
                                                     const QByteArray& name) {
                        if (!name.contains("none") && !seen.contains(name))
                            QVERIFY(waitForDecoded(prefetch, {line}));
                        seen.insert(name);
                    };
                QCOMPARE(pooled.run(lines), QString());
                QCOMPARE(pooled.pages(), serial.pages());
                QCOMPARE(pooled.state.MissingFigures.size(), 1);
                QCOMPARE(pooled.state.MissingFigures[0].line, serial.state.MissingFigures[0].line);
            }
        }
    }

    void damagedFigureEndsTheLayoutAtItsLineWhileLaterOnesAreDecoded() {
        // Page 1: a figure; page 2: text, the damaged bitmap, then more figures never drawn.
        const QByteArrayList lines = {"page one",         tag(tags::BmpFile),
                                      local("plan1.bmp"), tag(tags::PageEnd),
                                      "page two",
                                      tag(tags::BmpFile), // line 6
                                      local("bad.bmp"),   "never",
                                      tag(tags::JpgFile), local("photo1.jpg"),
                                      tag(tags::BmpFile), local("plan2.bmp")};
        Layout l(2);
        bool laterDecoded = false;
        l.engine.beforeFigure = [&](const FigurePrefetch* prefetch, qsizetype line,
                                    const QByteArray&) {
            if (line == 5)
                laterDecoded = waitForDecoded(prefetch, {5, 8, 10}); // it and the two after it
        };
        const QString error = l.run(lines);
        QVERIFY(laterDecoded);
        QVERIFY2(error.startsWith(QString::fromUtf8("ビットマップイメージが不正です")),
                 qPrintable(error));
        QVERIFY2(error.contains(path("bad.bmp")), qPrintable(error));
        QVERIFY2(error.endsWith(QString::fromUtf8("レポートの 7 行目")), qPrintable(error));
        const QStringList pages = l.pages();
        QCOMPARE(pages.size(), 2);
        QVERIFY(pages[0].contains("page one") && pages[0].contains(";I"));
        QVERIFY(pages[1].contains("page two"));
        QVERIFY(!pages[1].contains("never") && !pages[1].contains(";I"));
    }

    void fileChangedAfterDecodingIsLoadedAgain_data() {
        QTest::addColumn<bool>("damaged");
        QTest::newRow("now damaged") << true;
        QTest::newRow("now another picture") << false;
    }
    void fileChangedAfterDecodingIsLoadedAgain() {
        QFETCH(bool, damaged);
        const QString name = QStringLiteral("changing.bmp");
        writePicture(name, QSize(30, 20), qRgb(1, 2, 3), "BMP");
        Layout l(2);
        l.engine.beforeFigure = [&](const FigurePrefetch* prefetch, qsizetype line,
                                    const QByteArray&) {
            QVERIFY(waitForDecoded(prefetch, {line}));
            if (damaged)
                writeDamaged(name);
            else
                writePicture(name, QSize(90, 20), qRgb(1, 2, 3), "BMP");
        };
        const QString error = l.run({"text", tag(tags::BmpFile), local(name), "after"});
        if (damaged) {
            QVERIFY2(error.startsWith(QString::fromUtf8("ビットマップイメージが不正です")),
                     qPrintable(error));
            return;
        }
        QCOMPARE(error, QString());
        const auto& records = l.store.GetPage(0).records();
        const auto image = std::find_if(records.begin(), records.end(), [](const PageRecord& r) {
            return std::holds_alternative<ImageRecord>(r);
        });
        QVERIFY(image != records.end());
        QCOMPARE(std::get<ImageRecord>(*image).encoded->pixelSize(), QSize(90, 20));
    }
};

QTEST_MAIN(TestFigurePrefetch)
#include "tst_FigurePrefetch.moc"
