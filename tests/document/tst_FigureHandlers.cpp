#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <memory>
#include <sys/stat.h>

#include "document/LayoutEngine.h"
#include "document/Tags.h"
#include "pages/PrintPreview.h"
#include "platform/BmpReader.h"
#include "platform/Cp932.h"
#include "platform/FontSubstitution.h"
#include "platform/MetafileBuilder.h"

namespace {

QByteArray tag(QByteArrayView t) {
    return t.toByteArray();
}

QByteArrayList numbered(const char* prefix, int count) {
    QByteArrayList lines;
    for (int i = 1; i <= count; ++i)
        lines.append(QByteArray(prefix) + QByteArray::number(i).rightJustified(3, '0'));
    return lines;
}

// An EMF of the given size in millimetres holding one rectangle.
QByteArray emfOfMm(double widthMm, double heightMm) {
    EmfBuilder emf(QSizeF(widthMm, heightMm));
    emf.add(U_EMRRECTANGLE_set(emfRect(10, 10, 200, 100)));
    return emf.finish();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A hook call: which hook and its arguments.
struct HookCall {
    QString hook;
    QList<int> args;
    QRect r;
};

// Records the hook calls; a hook may report a figure height.
class HookEngine : public LayoutEngine {
public:
    using LayoutEngine::LayoutEngine;
    QList<HookCall> calls;
    int reportHeight = -1; // set FigureHeight to this in every hook, when >= 0

    void DrawFigureKind7(int index, const QRect& r) override { add("7", {index}, r); }
    void DrawFigureKind5(int index, const QRect& r) override { add("5", {index}, r); }
    void DrawFigureKind2Sub8(int index, const QRect& r) override { add("2sub8", {index}, r); }
    void DrawFigureKind2(int group, int kind, const QRect& r, int variant, int index) override {
        add("2", {group, kind, variant, index}, r);
    }
    void DrawFigureKind1(int group, int mode, const QRect& r) override {
        add("1", {group, mode}, r);
    }
    void AfterFigureText(int group, int variant, int index, int a, int b, int c, int d) override {
        calls.append({"after", {group, variant, index, a, b, c, d}, QRect()});
    }

private:
    void add(const QString& hook, QList<int> args, const QRect& r) {
        calls.append({hook, args, r});
        if (reportHeight >= 0)
            state().FigureHeight = reportHeight;
    }
};

// One layout against a printer given in dots; settings at their defaults.
struct Layout {
    TOutputSettings settings;
    LayoutState state;
    TPrintPreview store;
    std::unique_ptr<HookEngine> engine;

    explicit Layout(int width = 595, int height = 842, int dpi = 72) {
        state.PrinterInfo = TPrinterInfo::fromDots(width, height, width, height, 0, 0, dpi, dpi);
        state.CurFont = TextFont{QStringLiteral("ＭＳ 明朝"), 9};
        state.DataKind = -1; // as when the main window opens a file
        engine = std::make_unique<HookEngine>(state, store, settings);
    }

    void run(const QByteArrayList& lines) {
        engine->CalcFrameGeometry();
        engine->LayoutDocument(lines);
    }

    int pages() const { return store.PageCount(); }

    template <typename Record> QList<Record> all(int page) const {
        QList<Record> out;
        for (const PageRecord& record : store.GetPage(page).records())
            if (const auto* r = std::get_if<Record>(&record))
                out.append(*r);
        return out;
    }

    // Top of the one run whose trimmed text is label, or a negative count of matches.
    int topOf(int page, const QString& label) const {
        QList<int> tops;
        for (const TextRecord& t : all<TextRecord>(page))
            if (cp932::decode(t.bytes).trimmed() == label)
                tops.append(t.topLeft.y());
        return tops.size() == 1 ? tops.front() : -1000 - int(tops.size());
    }
    QStringList labels(int page) const {
        QStringList out;
        for (const TextRecord& t : all<TextRecord>(page))
            out.append(cp932::decode(t.bytes).trimmed());
        return out;
    }
};

// At 72 dpi on 595 x 842 with the default settings: text top 57, a 9-point line 11 dots, text
// area 757 dots high, frame 539 dots wide from x = 28, so figures hang from x = 28 + 269.
constexpr int Top = 57;
constexpr int Pitch = 11;
constexpr int AnchorX = 297;

} // namespace

class TestFigureHandlers : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString emf100x50_; // 100 x 50 mm: 283 x 142 dots at 72 dpi
    QString bmp_;       // 96 x 48 pixels
    QString badBmp_;

    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    static QByteArray local(const QString& p) { return cp932::encode(p); }

    // The size of the 96 x 48 bitmap in dots at dpi, from the screen resolution it is read at.
    static QSize bmpDots(int dpi) {
        return QSize(int(std::nearbyint(96 / bmp_reader::screenLogicalDpiX() * dpi)),
                     int(std::nearbyint(48 / bmp_reader::screenLogicalDpiY() * dpi)));
    }

private slots:
    void initTestCase() {
        font_substitution::install();
        QVERIFY(dir_.isValid());
        emf100x50_ = path("figure.emf");
        writeFile(emf100x50_, emfOfMm(100, 50));
        QImage image(96, 48, QImage::Format_RGB32);
        image.fill(qRgb(200, 40, 40));
        for (int x = 0; x < 96; x += 2)
            image.setPixel(x, x / 2, qRgb(0, 0, 255));
        bmp_ = path("figure.bmp");
        QVERIFY(image.save(bmp_, "BMP"));
        badBmp_ = path("bad.bmp");
        writeFile(badBmp_, QByteArray("BM") + QByteArray(60, '\x7f'));
    }

    void centredBitmapLeavesTheNextLineAtItsTop() {
        Layout l;
        l.run({"before", tag(tags::BmpFileC), local(bmp_), "after"});
        const QList<ImageRecord> images = l.all<ImageRecord>(0);
        QCOMPARE(images.size(), 1);
        const QSize size = bmpDots(72);
        QCOMPARE(images[0].target, QRect(AnchorX - size.width() / 2, Top + Pitch,
                                         2 * (size.width() / 2), size.height()));
        QCOMPARE(l.topOf(0, "after"), images[0].target.top());
    }

    void printerOffsetsDoNotMoveFigures() {
        // Pages are in paper coordinates: a printer with an unprintable strip of 20 x 30 dots
        // still gets the figure on the frame's centre line, its top at the next line's top.
        Layout l;
        l.state.PrinterInfo = TPrinterInfo::fromDots(595, 842, 555, 792, 20, 30, 72, 72);
        l.run({"before", tag(tags::EmfFileC), local(emf100x50_), "after"});
        const QList<FigureRecord> figures = l.all<FigureRecord>(0);
        QCOMPARE(figures.size(), 1);
        QCOMPARE(figures[0].target.left(), AnchorX - 141);
        QCOMPARE(figures[0].target.width(), 282);
        QCOMPARE(figures[0].target.top(), l.topOf(0, "after"));
    }

    void bitmapDrawTypes() {
        // Type 1 resamples to the size in dots first; type 2 stretches the file's pixels.
        const QSize size = bmpDots(600);
        for (int type : {1, 2}) {
            Layout l(4961, 7016, 600);
            l.settings.BitmapDrawType = type;
            l.run({tag(tags::BmpFile), local(bmp_)});
            const QList<ImageRecord> images = l.all<ImageRecord>(0);
            QCOMPARE(images.size(), 1);
            QVERIFY(!images[0].smooth);
            QCOMPARE(images[0].target.size(), QSize(2 * (size.width() / 2), size.height()));
            // The page holds the file's bytes; type 1 has them smoothed to the size in dots
            // when played.
            QVERIFY(images[0].encoded);
            QCOMPARE(images[0].encoded->pixelSize(), QSize(96, 48));
            QCOMPARE(images[0].resampleTo, type == 1 ? size : QSize());
            if (type == 1)
                QCOMPARE(images[0].encoded->smoothed(size).format(), QImage::Format_RGB888);
            QCOMPARE(l.state.UsedHeight, size.height());
        }
    }

    void bitmapTooLargeToResampleIsStretchedSmoothly() {
        // 300 x 300 pixels at 4800 dpi would be a 15000 x 15000 resampled image (675 MB).
        const QString large = path("large.bmp");
        QImage image(300, 300, QImage::Format_RGB32);
        image.fill(qRgb(30, 160, 90));
        QVERIFY(image.save(large, "BMP"));
        Layout l(39685, 56126, 4800);
        l.run({tag(tags::BmpFile), local(large)});
        const QList<ImageRecord> images = l.all<ImageRecord>(0);
        QCOMPARE(images.size(), 1);
        QVERIFY(images[0].smooth);
        QCOMPARE(images[0].encoded->pixelSize(), QSize(300, 300));
        QVERIFY(images[0].resampleTo.isEmpty());
        QCOMPARE(images[0].target.height(),
                 int(std::nearbyint(300 / bmp_reader::screenLogicalDpiY() * 4800)));
    }

    void metafileReservesItsHeightAt600Dpi() {
        Layout l(4961, 7016, 600);
        l.run({tag(tags::EmfFile), local(emf100x50_), "after"});
        const QList<FigureRecord> figures = l.all<FigureRecord>(0);
        QCOMPARE(figures.size(), 1);
        QCOMPARE(figures[0].target.size(), QSize(2362, 1181));
        QCOMPARE(figures[0].target.top(), l.state.TextTopDots);
        QCOMPARE(l.topOf(0, "after"), l.state.TextTopDots + 1181);
    }

    void figureSizesRoundHalvesToEven() {
        // 3.81 mm at 150 dpi is 22.5 dots and 25 pixels at 240 dpi (from 96) 62.5: both round
        // to the even 22 and 62, although the floating-point products land above the half.
        const QString emf = path("half.emf");
        writeFile(emf, emfOfMm(10, 3.812)); // the builder keeps whole hundredths: 381
        Layout l(1240, 1754, 150);
        l.run({tag(tags::EmfFile), local(emf)});
        QCOMPARE(l.all<FigureRecord>(0).size(), 1);
        QCOMPARE(l.all<FigureRecord>(0)[0].target.height(), 22);
        QCOMPARE(l.state.UsedHeight, 22);
        if (bmp_reader::screenLogicalDpiY() != 96.0)
            QSKIP("the bitmap half needs a screen of 96 dpi");
        const QString bmp = path("half.bmp");
        QImage image(25, 25, QImage::Format_RGB32);
        image.fill(qRgb(90, 90, 90));
        QVERIFY(image.save(bmp, "BMP"));
        Layout m(1984, 2806, 240);
        m.run({tag(tags::BmpFile), local(bmp)});
        QCOMPARE(m.state.UsedHeight, 62);
    }

    void placementsAndAdvances_data() {
        QTest::addColumn<QByteArray>("tagLine");
        QTest::addColumn<bool>("bitmap");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("advances");
        // Metafile 283 dots wide; frame 539 wide, so a quarter is 134 and a half 269.
        QTest::newRow("emf") << tag(tags::EmfFile) << false << AnchorX - 141 << 282 << true;
        QTest::newRow("emf C") << tag(tags::EmfFileC) << false << AnchorX - 141 << 282 << false;
        QTest::newRow("emf R") << tag(tags::EmfFileR) << false << AnchorX + 134 - 141 << 282
                               << false;
        QTest::newRow("emf S") << tag(tags::EmfFileS) << false << AnchorX + 74 - 141 << 282
                               << false;
        QTest::newRow("emf L") << tag(tags::EmfFileL) << false << 28 << 283 << false;
        const int w = bmpDots(72).width();
        QTest::newRow("bmp") << tag(tags::BmpFile) << true << AnchorX - w / 2 << 2 * (w / 2)
                             << true;
        QTest::newRow("bmp C") << tag(tags::BmpFileC) << true << AnchorX - w / 2 << 2 * (w / 2)
                               << false;
        // Against the frame's sides, not centred.
        QTest::newRow("bmp R") << tag(tags::BmpFileR) << true << 28 + 538 - w << w << false;
        QTest::newRow("bmp L") << tag(tags::BmpFileL) << true << 28 << w << false;
    }
    void placementsAndAdvances() {
        QFETCH(QByteArray, tagLine);
        QFETCH(bool, bitmap);
        QFETCH(int, left);
        QFETCH(int, width);
        QFETCH(bool, advances);
        Layout l;
        l.run({"before", tagLine, local(bitmap ? bmp_ : emf100x50_), "after"});
        QRect target;
        if (bitmap) {
            QCOMPARE(l.all<ImageRecord>(0).size(), 1);
            target = l.all<ImageRecord>(0)[0].target;
        } else {
            QCOMPARE(l.all<FigureRecord>(0).size(), 1);
            target = l.all<FigureRecord>(0)[0].target;
        }
        QCOMPARE(target.left(), left);
        QCOMPARE(target.width(), width);
        QCOMPARE(target.top(), Top + Pitch);
        QCOMPARE(l.topOf(0, "after"), Top + Pitch + (advances ? target.height() : 0));
    }

    void jpegIsDrawnUnscaledAndAdvancesByItsPixels() {
        const QString jpeg = path("figure.jpg");
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(qRgb(10, 120, 200));
        QVERIFY(image.save(jpeg, "JPEG"));
        Layout l(4961, 7016, 600);
        l.run({tag(tags::JpgFile), local(jpeg), "after"});
        const QList<ImageRecord> images = l.all<ImageRecord>(0);
        QCOMPARE(images.size(), 1);
        const int x = l.state.LeftMarginDots + l.state.FrameWidth / 2;
        QCOMPARE(images[0].target, QRect(x - 20, l.state.TextTopDots, 40, 30));
        QCOMPARE(l.topOf(0, "after"), l.state.TextTopDots + 30);
    }

    void bitmapFoundUnderTheFigureFolder() {
        Layout l;
        l.state.FigureFolder = dir_.path() + u'/';
        l.run({tag(tags::BmpFile), "figure.bmp", "after"});
        QCOMPARE(l.all<ImageRecord>(0).size(), 1);
        QCOMPARE(l.topOf(0, "after"), Top + bmpDots(72).height());
        // Metafiles are looked for under their own name only.
        Layout m;
        m.state.FigureFolder = dir_.path() + u'/';
        m.run({tag(tags::EmfFile), "figure.emf", "after"});
        QCOMPARE(m.all<FigureRecord>(0).size(), 0);
        QCOMPARE(m.topOf(0, "after"), Top);
        // And so are JPEG files.
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(qRgb(10, 120, 200));
        QVERIFY(image.save(path("figure.jpg"), "JPEG"));
        Layout j;
        j.state.FigureFolder = dir_.path() + u'/';
        j.run({tag(tags::JpgFile), "figure.jpg", "after"});
        QCOMPARE(j.all<ImageRecord>(0).size(), 0);
        QCOMPARE(j.topOf(0, "after"), Top);
    }

    void namesThatFindNoFileAreSkippedWithTheirLine_data() {
        QTest::addColumn<QByteArray>("tagLine");
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("missing emf") << tag(tags::EmfFile) << local(path("none.emf"));
        QTest::newRow("missing bmp") << tag(tags::BmpFile) << local(path("none.bmp"));
        QTest::newRow("missing jpg") << tag(tags::JpgFile) << local(path("none.jpg"));
        QTest::newRow("empty name") << tag(tags::BmpFileC) << QByteArray();
        QTest::newRow("tag as name") << tag(tags::BmpFile) << tag(tags::PageEnd);
        QTest::newRow("directory") << tag(tags::EmfFile) << local(dir_.path());
        QTest::newRow("device") << tag(tags::BmpFile) << QByteArray("/dev/zero");
        QTest::newRow("fifo") << tag(tags::JpgFile) << local(path("fifo"));
        QTest::newRow("name with blank") << tag(tags::EmfFile) << local(emf100x50_) + ' ';
    }
    void namesThatFindNoFileAreSkippedWithTheirLine() {
        QFETCH(QByteArray, tagLine);
        QFETCH(QByteArray, name);
        if (!QFile::exists(path("fifo")))
            QCOMPARE(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
        Layout l;
        l.state.FigureFolder = dir_.path() + u'/';
        l.run({"before", tagLine, name, "after"});
        QCOMPARE(l.pages(), 1);
        QCOMPARE(l.labels(0), QStringList({"before", "after"}));
        QCOMPARE(l.topOf(0, "after"), Top + Pitch);
        QCOMPARE(l.all<ImageRecord>(0).size() + l.all<FigureRecord>(0).size(), 0);
    }

    void japaneseAndRelativeNamesAreFound() {
        // A code page 932 name relative to the working directory.
        const QString name = QString::fromUtf8("図-梁.emf");
        QVERIFY(QFile::copy(emf100x50_, dir_.filePath(name)));
        const QString saved = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir_.path()));
        Layout l;
        l.run({tag(tags::EmfFile), cp932::encode(name)});
        QDir::setCurrent(saved);
        QCOMPARE(l.all<FigureRecord>(0).size(), 1);
    }

    void loaderErrorsEndTheLayoutKeepingThePages_data() {
        QTest::addColumn<QByteArray>("tagLine");
        QTest::addColumn<QString>("message");
        QTest::newRow("bitmap") << tag(tags::BmpFile)
                                << QString::fromUtf8("ビットマップイメージが不正です");
        QTest::newRow("metafile") << tag(tags::EmfFile0)
                                  << QString::fromUtf8("メタファイルが不正です");
        QTest::newRow("jpeg") << tag(tags::JpgFile) << QString::fromUtf8("JPEG エラー #");
    }
    void loaderErrorsEndTheLayoutKeepingThePages() {
        QFETCH(QByteArray, tagLine);
        QFETCH(QString, message);
        Layout l;
        QString caught;
        try {
            l.run({"page one", tag(tags::PageEnd), "page two", tagLine, local(badBmp_), "never"});
        } catch (const std::runtime_error& e) {
            caught = QString::fromUtf8(e.what());
        }
        QVERIFY2(caught.startsWith(message), qPrintable(caught));
        // Under the loader's text: which file, and where the report names it.
        QVERIFY2(caught.contains(QString::fromUtf8("図形ファイル: ") + badBmp_),
                 qPrintable(caught));
        QVERIFY2(caught.endsWith(QString::fromUtf8("レポートの 5 行目")), qPrintable(caught));
        QVERIFY(!l.store.Printing());
        QCOMPARE(l.pages(), 2);
        QCOMPARE(l.labels(1), QStringList({"page two"}));
    }

    void missingFiguresAreListedWithTheirLines() {
        Layout l;
        const QByteArray missingBmp = cp932::encode(QString::fromUtf8("図\\平面.bmp"));
        l.run({"text", tag(tags::BmpFile), missingBmp, tag(tags::EmfFile), local(emf100x50_),
               tag(tags::JpgFile), "C:\\data\\site.jpg", tag(tags::EmfFileR), "", "after"});
        // Skipped without reserving space; the found figure is drawn; an empty name line is
        // no name at all.
        QCOMPARE(l.all<FigureRecord>(0).size(), 1);
        QCOMPARE(l.all<ImageRecord>(0).size(), 0);
        QCOMPARE(l.state.MissingFigures.size(), 2);
        QCOMPARE(l.state.MissingFigures[0].name, QString::fromUtf8("図\\平面.bmp"));
        QCOMPARE(l.state.MissingFigures[0].line, 3);
        QCOMPARE(l.state.MissingFigures[1].name, QString::fromUtf8("C:\\data\\site.jpg"));
        QCOMPARE(l.state.MissingFigures[1].line, 7);
        // Each layout starts a new list.
        l.run({"text"});
        QVERIFY(l.state.MissingFigures.isEmpty());
    }

    void figuresBesideTheReportAreFoundFromAnotherFolder() {
        // Windows names in every form, the figures beside the report, the working directory
        // elsewhere.
        QTemporaryDir report;
        QVERIFY(QDir(report.path()).mkpath("Figures/Sub"));
        QVERIFY(QFile::copy(bmp_, report.filePath("Figures/Sub/Plan.BMP")));
        QVERIFY(QFile::copy(emf100x50_, report.filePath("Figures/Beam.emf")));
        // "表" ends in the byte 0x5C, the backslash: it is no folder separator.
        QVERIFY(QFile::copy(emf100x50_, report.filePath(QString::fromUtf8("Figures/表.emf"))));
        const QString saved = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir_.path()));
        Layout l;
        l.state.ReportFolder = report.path();
        l.run({tag(tags::BmpFileC), "figures\\sub\\plan.bmp", tag(tags::EmfFileC),
               "C:\\Users\\kozo\\Figures\\BEAM.EMF", tag(tags::EmfFileC),
               "\\\\server\\share\\figures\\beam.emf", tag(tags::BmpFileC), "figure.bmp",
               tag(tags::EmfFileC), cp932::encode(QString::fromUtf8("figures\\表.emf"))});
        QDir::setCurrent(saved);
        QCOMPARE(l.all<ImageRecord>(0).size(), 2); // plan.bmp; figure.bmp from the working dir
        QCOMPARE(l.all<FigureRecord>(0).size(), 3);
        QVERIFY(l.state.MissingFigures.isEmpty());
    }

    void aFigureTallerThanTheTextAreaFollowsAnEmptyPage() {
        const QString tall = path("tall.emf");
        writeFile(tall, emfOfMm(100, 300)); // 850 dots, the text area is 757
        Layout l;
        l.run({tag(tags::EmfFile), local(tall), "after"});
        QCOMPARE(l.pages(), 3);
        QCOMPARE(l.all<FigureRecord>(0).size(), 0);
        QCOMPARE(l.all<TextRecord>(0).size(), 0);
        const QList<FigureRecord> figures = l.all<FigureRecord>(1);
        QCOMPARE(figures.size(), 1);
        QCOMPARE(figures[0].target.top(), Top);
        QCOMPARE(figures[0].target.height(), 850);
        QCOMPARE(l.topOf(2, "after"), Top);
    }

    void figureEndingExactlyAtTheTextAreaBottomStaysOnThePage() {
        // 267.05 mm is 757 dots at 72 dpi, the whole text area: it fits an empty page. One
        // dot more and the empty page is finished first.
        const QString exact = path("exact.emf");
        writeFile(exact, emfOfMm(100, 267.05));
        Layout l;
        l.run({tag(tags::EmfFile), local(exact)});
        QCOMPARE(l.pages(), 1);
        QCOMPARE(l.all<FigureRecord>(0).size(), 1);
        QCOMPARE(l.all<FigureRecord>(0)[0].target.height(), 757);
        const QString over = path("over.emf");
        writeFile(over, emfOfMm(100, 267.40));
        Layout m;
        m.run({tag(tags::EmfFile), local(over)});
        QCOMPARE(m.pages(), 2);
        QCOMPARE(m.all<FigureRecord>(1).size(), 1);
        QCOMPARE(m.all<FigureRecord>(1)[0].target.height(), 758);
    }

    void fittedMetafile_data() {
        QTest::addColumn<int>("linesBefore");
        QTest::addColumn<int>("pageOfFigure");
        QTest::addColumn<QSize>("size");
        // 283 x 142 dots unfitted; room = 757 - 2 x 9 - used height.
        QTest::newRow("empty page: enlarged to the frame width") << 0 << 0 << QSize(538, 270);
        QTest::newRow("550 used: shrunk to the room left") << 50 << 0 << QSize(376, 189);
        // 660 + 142 > 757: the unfitted height starts a page, then the frame width wins.
        QTest::newRow("660 used: next page") << 60 << 1 << QSize(538, 270);
    }
    void fittedMetafile() {
        QFETCH(int, linesBefore);
        QFETCH(int, pageOfFigure);
        QFETCH(QSize, size);
        Layout l;
        QByteArrayList lines = numbered("line ", linesBefore);
        lines << tag(tags::EmfFile0) << local(emf100x50_);
        l.run(lines);
        QCOMPARE(l.pages(), pageOfFigure + 1);
        const QList<FigureRecord> figures = l.all<FigureRecord>(pageOfFigure);
        QCOMPARE(figures.size(), 1);
        QCOMPARE(figures[0].target.size(), size);
        const int used = pageOfFigure == 0 ? linesBefore * Pitch : 0;
        QCOMPARE(figures[0].target.top(), Top + used);
        QCOMPARE(l.state.UsedHeight, used + size.height());
    }

    void fittedMetafileRoundsHalvesToEven() {
        // 110 x 25 dots widened to the frame (539): 25 x 539 / 110 = 122.5 dots high, 122.
        const QString emf = path("fit-half.emf");
        writeFile(emf, emfOfMm(38.805, 8.825)); // whole hundredths: 3880 x 882
        Layout l;
        l.run({tag(tags::EmfFile0), local(emf)});
        QCOMPARE(l.all<FigureRecord>(0).size(), 1);
        QCOMPARE(l.all<FigureRecord>(0)[0].target.size(), QSize(538, 122));
        QCOMPARE(l.state.UsedHeight, 122);
    }

    void fittedMetafileWithNoRoomLeftDrawsNothing() {
        const QString small = path("small.emf");
        writeFile(small, emfOfMm(10, 2)); // 6 dots high: fits below 68 lines, no room after fit
        Layout l;
        QByteArrayList lines = numbered("line ", 68);
        lines << tag(tags::EmfFile0) << local(small) << "after";
        l.run(lines);
        QCOMPARE(l.pages(), 2);
        QCOMPARE(l.all<FigureRecord>(0).size() + l.all<FigureRecord>(1).size(), 0);
        QCOMPARE(l.topOf(1, "after"), Top);
    }

    void figureFileOnTheLastLineRaisesTheIndexError() {
        Layout l;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, l.run({"text", tag(tags::BmpFile)}));
        QCOMPARE(l.pages(), 1);
        QVERIFY(!l.store.Printing());
    }

    void insertedBlockWithoutFigureAdvancesByItsLines() {
        Layout l;
        l.run({"before", tag(tags::FigureInsert), "caption one", "caption two", "Fig 101 1 0",
               "after"});
        QCOMPARE(l.topOf(0, "caption one"), Top + Pitch);
        QCOMPARE(l.topOf(0, "caption two"), Top + 2 * Pitch);
        QCOMPARE(l.topOf(0, "after"), Top + 3 * Pitch);
        QCOMPARE(l.labels(0).contains("Fig 101 1 0"), false);
        QCOMPARE(l.state.FigureHeight, 0);
        // No figure: no hook but the one after the text.
        QCOMPARE(l.engine->calls.size(), 1);
        QCOMPARE(l.engine->calls[0].hook, QString("after"));
        QCOMPARE(l.engine->calls[0].args, QList<int>({1, 1, 1, 0, 0, 0, 0}));
    }

    void placedBlockDoesNotAdvance() {
        Layout l;
        l.run({"before", tag(tags::FigurePlaceR), "beside one", "Fig 1205 3 0", "after"});
        QCOMPARE(l.topOf(0, "beside one"), Top + Pitch);
        QCOMPARE(l.topOf(0, "after"), Top + Pitch);
    }

    void dispatchToTheHooks_data() {
        QTest::addColumn<QByteArray>("tagLine");
        QTest::addColumn<int>("dataKind");
        QTest::addColumn<QByteArray>("figLine");
        QTest::addColumn<QString>("hook");
        QTest::addColumn<QList<int>>("args");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("bottom");
        // Anchor x 297, a quarter frame 134; R.Bottom is 15 line pitches for kinds 2, 6, 9.
        QTest::newRow("kind 2 right")
            << tag(tags::FigurePlaceR) << -1 << QByteArray("Fig 1205 3 2") << "2"
            << QList<int>{12, 2, 5, 3} << AnchorX + 134 << 15 * Pitch;
        QTest::newRow("kind 6 left")
            << tag(tags::FigurePlaceL) << -1 << QByteArray("Fig 7 2 6") << "2"
            << QList<int>{1, 6, 7, 2} << AnchorX - 134 << 15 * Pitch;
        QTest::newRow("kind 9 slightly right")
            << tag(tags::FigurePlaceS) << -1 << QByteArray("Fig 1 4 9") << "2"
            << QList<int>{1, 9, 1, 4} << AnchorX + 74 << 15 * Pitch;
        QTest::newRow("kind 2 variant 8")
            << tag(tags::FigureInsert) << -1 << QByteArray("Fig 308 6 2") << "2sub8"
            << QList<int>{6} << AnchorX << 0;
        QTest::newRow("kind 5") << tag(tags::FigurePlaceMSita) << -1 << QByteArray("Fig 1 9 5")
                                << "5" << QList<int>{9} << AnchorX << 0;
        QTest::newRow("kind 7") << tag(tags::FigurePlacePDelt) << -1 << QByteArray("Fig 1 8 7")
                                << "7" << QList<int>{8} << AnchorX << 0;
        // DataKind 1 or more replaces the kind; mode from the variant.
        QTest::newRow("data kind 1, variant 0")
            << tag(tags::FigureInsert) << 1 << QByteArray("Fig 200 1 5") << "1" << QList<int>{2, 0}
            << AnchorX << 0;
        QTest::newRow("data kind 1, variant 3")
            << tag(tags::FigurePlaceR) << 1 << QByteArray("Fig 3 1 5") << "1" << QList<int>{1, 2}
            << AnchorX << 0;
        QTest::newRow("data kind 1, variant 5")
            << tag(tags::FigurePlaceR) << 1 << QByteArray("Fig 5 1 5") << "1" << QList<int>{1, 1}
            << AnchorX << 0;
    }
    void dispatchToTheHooks() {
        QFETCH(QByteArray, tagLine);
        QFETCH(int, dataKind);
        QFETCH(QByteArray, figLine);
        QFETCH(QString, hook);
        QFETCH(QList<int>, args);
        QFETCH(int, left);
        QFETCH(int, bottom);
        Layout l;
        l.state.DataKind = dataKind;
        l.run({"before", tagLine, "text one", "text two", figLine});
        QCOMPARE(l.engine->calls.size(), 2);
        const HookCall& call = l.engine->calls[0];
        QCOMPARE(call.hook, hook);
        QCOMPARE(call.args, args);
        QCOMPARE(call.r.left(), left);
        // The anchor lies under the block's text lines.
        QCOMPARE(call.r.top(), Top + 3 * Pitch);
        QCOMPARE(call.r.right(), 0);
        QCOMPARE(call.r.bottom(), bottom);
        QCOMPARE(l.engine->calls[1].hook, QString("after"));
    }

    void slightlyRightShiftRoundsHalvesToEven() {
        // A frame 440 dots wide: a quarter is 110, and 110 x 0.55 = 60.5 goes to 60, for the
        // hooks' rectangle as for the "S" metafile's centre.
        Layout l(496, 842, 72);
        l.run({tag(tags::FigurePlaceS), "Fig 1 4 9", tag(tags::EmfFileS), local(emf100x50_)});
        QCOMPARE(l.state.FrameWidth, 440);
        const int x = 28 + 220;
        QCOMPARE(l.engine->calls.size(), 2);
        QCOMPARE(l.engine->calls[0].r.left(), x + 60);
        QCOMPARE(l.all<FigureRecord>(0).size(), 1);
        QCOMPARE(l.all<FigureRecord>(0)[0].target.left(), x + 60 - 141);
    }

    void unknownKindCallsNoHook() {
        Layout l;
        l.run({tag(tags::FigureInsert), "Fig 1 1 4"});
        QCOMPARE(l.engine->calls.size(), 1);
        QCOMPARE(l.engine->calls[0].hook, QString("after"));
    }

    void reportedFigureHeightAdvancesAndBreaksPages() {
        // A hook that draws a figure 200 dots high: an inserted block advances past it.
        Layout l;
        l.engine->reportHeight = 200;
        l.run({"before", tag(tags::FigureInsert), "caption", "Fig 1 1 7", "after"});
        QCOMPARE(l.topOf(0, "after"), Top + 2 * Pitch + 200);

        // 60 lines used: 660 + 11 + Nearest(0.8 x 200) > 757, so the block starts a new page
        // and the figure is handed over again there.
        Layout m;
        m.engine->reportHeight = 200;
        QByteArrayList lines = numbered("line ", 60);
        lines << tag(tags::FigureInsert) << "caption"
              << "Fig 1 1 7"
              << "after";
        m.run(lines);
        QCOMPARE(m.pages(), 2);
        QCOMPARE(m.topOf(1, "caption"), Top);
        QCOMPARE(m.topOf(1, "after"), Top + Pitch + 200);
        QCOMPARE(m.engine->calls.size(), 3);
        QCOMPARE(m.engine->calls[1].hook, QString("7"));
        QCOMPARE(m.engine->calls[1].r.top(), Top + Pitch);
    }

    void blockAtThePageTopIsNeverMovedButEndsThePage() {
        // Nothing used yet: however tall the figure, the block stays; it then runs past the
        // text area and ends the page.
        Layout l;
        l.engine->reportHeight = 2000;
        l.run({tag(tags::FigureInsert), "caption", "Fig 1 1 7", "after"});
        QCOMPARE(l.pages(), 2);
        QCOMPARE(l.topOf(0, "caption"), Top);
        QCOMPARE(l.engine->calls.size(), 2);
        QCOMPARE(l.topOf(1, "after"), Top);
    }

    void blockWithoutFigureCallsNoHookAfterItsPageBreak() {
        // 748 used + one caption line > 757: the block moves to a new page; with DataKind 1 a
        // figure-less block must still not be handed to DrawFigureKind1 there.
        Layout l;
        l.state.DataKind = 1;
        QByteArrayList lines = numbered("line ", 68);
        lines << tag(tags::FigureInsert) << "caption"
              << "Fig 1 1 0"
              << "after";
        l.run(lines);
        QCOMPARE(l.pages(), 2);
        QCOMPARE(l.topOf(1, "caption"), Top);
        QCOMPARE(l.topOf(1, "after"), Top + Pitch);
        QCOMPARE(l.engine->calls.size(), 1);
        QCOMPARE(l.engine->calls[0].hook, QString("after"));
    }

    void blockRunningPastTheTextAreaEndsThePage() {
        // 60 lines used: a figure of 100 dots does not move the block (only 0.8 of its height
        // counts there), but the block then ends below the text area and so ends the page.
        Layout l;
        l.engine->reportHeight = 100;
        QByteArrayList lines = numbered("line ", 60);
        lines << tag(tags::FigureInsert) << "caption"
              << "Fig 1 1 7"
              << "after";
        l.run(lines); // 660 + 11 + 80 = 751 fits; 660 + 11 + 100 = 771 > 757
        QCOMPARE(l.pages(), 2);
        QCOMPARE(l.topOf(0, "caption"), Top + 660);
        QCOMPARE(l.topOf(1, "after"), Top);

        // The same block as the last line finishes the page and opens none.
        Layout m;
        m.engine->reportHeight = 100;
        lines.removeLast();
        m.run(lines);
        QCOMPARE(m.pages(), 1);
    }

    void blockTagOnTheLastLineUsesTheDefaultNumbers() {
        Layout l;
        l.state.DataKind = 1;
        l.run({"before", tag(tags::FigureInsert)});
        QCOMPARE(l.pages(), 1);
        QCOMPARE(l.engine->calls.size(), 2);
        QCOMPARE(l.engine->calls[0].hook, QString("1"));
        QCOMPARE(l.engine->calls[0].args, QList<int>({1, 1})); // group 1, variant -1: mode 1
        QCOMPARE(l.engine->calls[1].args, QList<int>({1, -1, -1, 0, 0, 0, 0}));
        // Text lines up to the end of the document, no figure line: drawn, nothing thrown.
        Layout m;
        m.run({tag(tags::FigurePlaceR), "caption"});
        QCOMPARE(m.topOf(0, "caption"), Top);
    }

    void blockDropsTheTitleAndIsNotRepeated() {
        Layout l;
        QByteArrayList lines = {tag(tags::TitleStart),   "TITLE",   tag(tags::TitleEnd),
                                tag(tags::FigureInsert), "caption", "Fig 1 1 0"};
        lines += numbered("line ", 80);
        l.run(lines);
        QCOMPARE(l.pages(), 2);
        QCOMPARE(l.topOf(0, "TITLE"), Top);
        QVERIFY(!l.labels(1).contains("TITLE"));
        QVERIFY(!l.labels(1).contains("caption"));
        QCOMPARE(l.labels(1).front(), QString("line 067"));
    }

    void sampleReportFindsItsFiguresFromAnyFolder() {
        const QByteArrayList lines = [] {
            QFile file(QStringLiteral(FOLIOSCOPE_SOURCE_DIR "/examples/sample-report.txt"));
            return file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QByteArrayList();
        }();
        QVERIFY(!lines.isEmpty());
        QByteArrayList trimmed;
        for (const QByteArray& line : lines)
            trimmed.append(line.endsWith('\r') ? line.chopped(1) : line);
        // Its figures are named relative to its own folder, Windows style; the working
        // directory is somewhere else, as when the tool is started from a launcher.
        const QString saved = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir_.path()));
        Layout l(4961, 7016, 600);
        l.state.ReportFolder = QStringLiteral(FOLIOSCOPE_SOURCE_DIR "/examples");
        l.run(trimmed);
        QDir::setCurrent(saved);
        int figures = 0, images = 0;
        for (int p = 0; p < l.pages(); ++p) {
            figures += int(l.all<FigureRecord>(p).size());
            images += int(l.all<ImageRecord>(p).size());
        }
        QCOMPARE(figures, 2); // beam.emf, frame.emf
        QCOMPARE(images, 2);  // plan.bmp, site.jpg
        QVERIFY(l.state.MissingFigures.isEmpty());
    }

    void japaneseLabelsOfShippedFiguresAreSearchableInThePdf() {
        const QString shared = QStringLiteral(FOLIOSCOPE_SHARED_TESTDATA);
        const QStringList figures = {shared + "/emf/jp-ansi-text.emf",
                                     shared + "/emf/jp-unicode-text.emf",
                                     shared + "/wmf/jp-sjis-text.wmf"};
        for (const QString& f : figures)
            if (!QFile::exists(f))
                QSKIP("shared test figures are not present");
        if (!QFile::exists(QStringLiteral(FOLIOSCOPE_BINARY)))
            QSKIP("the program is not built in this tree (sanitizer builds build the tests only)");
        QByteArray report = "Figures\r\n";
        for (const QString& f : figures)
            report += tag(tags::EmfFile) + "\r\n" + local(f) + "\r\n";
        const QString input = path("report.txt");
        const QString pdf = path("report.pdf");
        writeFile(input, report);
        QProcess tool;
        tool.start(FOLIOSCOPE_BINARY, {"--pdf", pdf, input});
        QVERIFY(tool.waitForFinished(120000));
        QCOMPARE(tool.exitCode(), 0);
        QProcess text;
        text.start("pdftotext", {pdf, "-"});
        QVERIFY(text.waitForFinished(60000));
        QString out = QString::fromUtf8(text.readAllStandardOutput());
        out.remove(QRegularExpression("\\s"));
        QCOMPARE(out.count(QString::fromUtf8("梁B1300×600")), 3);
        QCOMPARE(out.count(QString::fromUtf8("柱C1ｺﾝｸﾘｰﾄ")), 3);
    }
};

QTEST_MAIN(TestFigureHandlers)
#include "tst_FigureHandlers.moc"
