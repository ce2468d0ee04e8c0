// Writes the figures of the sample report into the folder given as argument (by default the
// folder of this file): two enhanced metafiles made with libuemf's record writers, one with
// code page 932 labels under a SHIFTJIS_CHARSET font as Japanese programs write them, one
// with UTF-16 labels; a BMP floor plan and a JPEG site photograph drawn with Qt.
//   build/examples/make_figures examples/figures

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <uemf.h>

#include "platform/Cp932.h"
#include "platform/FontSubstitution.h"

namespace {

// An EMF of frameMm millimetres in MM_TEXT units of 0.1 mm (10 device pixels per mm).
class Emf {
public:
    explicit Emf(double widthMm, double heightMm) {
        const U_RECTL bounds = rectl_set(
            point32_set(0, 0), point32_set(int32_t(widthMm * 10), int32_t(heightMm * 10)));
        const U_RECTL frame = rectl_set(
            point32_set(0, 0), point32_set(int32_t(widthMm * 100), int32_t(heightMm * 100)));
        add(U_EMRHEADER_set(bounds, frame, nullptr, 0, nullptr, sizel_set(2100, 2970),
                            sizel_set(210, 297), 0));
        add(U_EMRSETBKMODE_set(U_TRANSPARENT));
        add(U_EMRSETTEXTALIGN_set(U_TA_BASELINE | U_TA_LEFT));
    }

    void add(char* record) {
        uint32_t size;
        std::memcpy(&size, record + 4, 4);
        bytes_.append(record, int(size));
        std::free(record);
        ++records_;
    }

    void pen(uint32_t slot, int width, U_COLORREF color, uint32_t style = U_PS_SOLID) {
        add(U_EMRCREATEPEN_set(slot, logpen_set(style, point32_set(width, 0), color)));
        add(U_EMRSELECTOBJECT_set(slot));
    }
    void brush(uint32_t slot, U_COLORREF color) {
        add(U_EMRCREATEBRUSHINDIRECT_set(slot, logbrush_set(U_BS_SOLID, color, 0)));
        add(U_EMRSELECTOBJECT_set(slot));
    }
    void noBrush() { add(U_EMRSELECTOBJECT_set(U_NULL_BRUSH)); }
    void line(int x1, int y1, int x2, int y2) {
        add(U_EMRMOVETOEX_set(point32_set(x1, y1)));
        add(U_EMRLINETO_set(point32_set(x2, y2)));
    }
    void rect(int l, int t, int r, int b) {
        add(U_EMRRECTANGLE_set(rectl_set(point32_set(l, t), point32_set(r, b))));
    }
    void circle(int x, int y, int radius) {
        add(U_EMRELLIPSE_set(
            rectl_set(point32_set(x - radius, y - radius), point32_set(x + radius, y + radius))));
    }
    void polyline(const std::vector<U_POINT16>& points) {
        add(U_EMRPOLYLINE16_set(rectl_set(point32_set(0, 0), point32_set(0, 0)),
                                uint32_t(points.size()), points.data()));
    }
    // A font of heightMm character height in the given character set.
    void font(uint32_t slot, double heightMm, const QString& face, uint8_t charset) {
        uint16_t name[U_LF_FACESIZE] = {};
        for (int i = 0; i < face.size() && i < U_LF_FACESIZE - 1; ++i)
            name[i] = face[i].unicode();
        const U_LOGFONT lf = logfont_set(-int32_t(heightMm * 10), 0, 0, 0, U_FW_NORMAL, 0, 0, 0,
                                         charset, 0, 0, 0, 0, name);
        add(U_EMREXTCREATEFONTINDIRECTW_set(slot, reinterpret_cast<const char*>(&lf), nullptr));
        add(U_EMRSELECTOBJECT_set(slot));
        em_ = uint32_t(heightMm * 10);
    }
    // Text as code page 932 bytes (EXTTEXTOUTA) or UTF-16 (EXTTEXTOUTW), baseline at (x, y).
    // Advances as a Japanese program writes them: half an em a byte, so a double-byte
    // character takes a whole em and a half-width one half of it.
    void textA(int x, int y, const QString& text) {
        const QByteArray bytes = cp932::encode(text);
        this->text(x, y, bytes, 1, std::vector<uint32_t>(size_t(bytes.size()), em_ / 2));
    }
    void textW(int x, int y, const QString& text) {
        std::vector<uint32_t> dx;
        for (const QChar c : text)
            dx.push_back(uint32_t(cp932::encode(QString(c)).size()) * em_ / 2);
        this->text(x, y,
                   QByteArray(reinterpret_cast<const char*>(text.utf16()), int(text.size() * 2)), 2,
                   dx);
    }

    bool save(const QString& path) {
        const uint32_t eof[5] = {U_EMR_EOF, 20, 0, 16, 20};
        bytes_.append(reinterpret_cast<const char*>(eof), sizeof eof);
        ++records_;
        const uint32_t total = uint32_t(bytes_.size());
        const uint16_t handles = 16;
        std::memcpy(bytes_.data() + 48, &total, 4);
        std::memcpy(bytes_.data() + 52, &records_, 4);
        std::memcpy(bytes_.data() + 56, &handles, 2);
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes_) == bytes_.size();
    }

private:
    void text(int x, int y, const QByteArray& units, int charBytes, std::vector<uint32_t> dx) {
        const uint32_t count = uint32_t(units.size() / charBytes);
        dx.resize(count, 0);
        char* t = emrtext_set(point32_set(x, y), count, uint32_t(charBytes),
                              const_cast<char*>(units.constData()), U_ETO_NONE,
                              rectl_set(point32_set(0, 0), point32_set(0, 0)), dx.data());
        const U_RECTL none = rectl_set(point32_set(0, 0), point32_set(0, 0));
        add(charBytes == 1 ? U_EMREXTTEXTOUTA_set(none, U_GM_COMPATIBLE, 1, 1, PU_EMRTEXT(t))
                           : U_EMREXTTEXTOUTW_set(none, U_GM_COMPATIBLE, 1, 1, PU_EMRTEXT(t)));
        std::free(t);
    }

    QByteArray bytes_;
    uint32_t records_ = 0;
    uint32_t em_ = 35;
};

const QString Gothic = QString::fromUtf8("ＭＳ ゴシック");
const QString Mincho = QString::fromUtf8("ＭＳ 明朝");

// Section of a beam, 120 x 70 mm: concrete outline, main bars, stirrup, dimensions and
// code page 932 labels.
bool writeBeam(const QString& path) {
    Emf e(120, 70);
    const U_COLORREF black = colorref_set(0, 0, 0);
    e.pen(1, 6, black);
    e.noBrush();
    // 450 x 800 section drawn at 1:10 from (100, 50): 45 x 80 mm... scaled to 27 x 48 mm.
    const int l = 150, t = 80, r = 420, b = 560;
    e.brush(2, colorref_set(235, 235, 235));
    e.rect(l, t, r, b);
    e.pen(3, 3, colorref_set(0, 0, 160));
    e.noBrush();
    e.rect(l + 30, t + 30, r - 30, b - 30); // stirrup
    e.brush(4, colorref_set(0, 0, 0));
    for (int i = 0; i < 4; ++i) {
        const int x = l + 55 + i * (r - l - 110) / 3;
        e.circle(x, t + 55, 14);
        e.circle(x, b - 55, 14);
    }
    e.noBrush();
    e.pen(5, 2, black);
    e.line(l, b + 40, r, b + 40); // width dimension
    e.line(l, b + 25, l, b + 55);
    e.line(r, b + 25, r, b + 55);
    e.line(l - 40, t, l - 40, b); // depth dimension
    e.line(l - 55, t, l - 25, t);
    e.line(l - 55, b, l - 25, b);
    e.font(6, 3.5, Gothic, U_SHIFTJIS_CHARSET);
    e.textA(l + 60, b + 90, QString::fromUtf8("b = 450"));
    e.textA(20, (t + b) / 2, QString::fromUtf8("D=800"));
    e.textA(470, 140, QString::fromUtf8("大梁 G3 断面"));
    e.textA(470, 230, QString::fromUtf8("上端筋  4-D25"));
    e.textA(470, 300, QString::fromUtf8("下端筋  4-D25"));
    e.textA(470, 370, QString::fromUtf8("あばら筋 2-D13@200"));
    e.textA(470, 440, QString::fromUtf8("ｺﾝｸﾘｰﾄ Fc27"));
    e.font(7, 3.0, Mincho, U_SHIFTJIS_CHARSET);
    e.textA(470, 620, QString::fromUtf8("（縮尺 1/15）"));
    return e.save(path);
}

// Moment diagram of a one-bay portal frame under long-term load, 140 x 80 mm, UTF-16 labels.
bool writeFrame(const QString& path) {
    Emf e(140, 80);
    const U_COLORREF black = colorref_set(0, 0, 0);
    e.pen(1, 8, black);
    const int x1 = 200, x2 = 1200, top = 260, foot = 720;
    e.line(x1, foot, x1, top);
    e.line(x1, top, x2, top);
    e.line(x2, top, x2, foot);
    e.line(x1 - 60, foot, x1 + 60, foot);
    e.line(x2 - 60, foot, x2 + 60, foot);
    // Drawn on the tension side: beam end moments -110 kN·m (above the beam), midspan +80
    // (below); the columns from -110 at the top to +55 at the foot.
    e.pen(2, 4, colorref_set(200, 0, 0));
    const double scale = 1.2;
    std::vector<U_POINT16> curve;
    for (int i = 0; i <= 40; ++i) {
        const double s = i / 40.0;
        const double m = -110 + 760 * s * (1 - s); // parabola through -110, +80, -110
        curve.push_back(point16_set(int16_t(x1 + s * (x2 - x1)), int16_t(top + m * scale)));
    }
    e.polyline(curve);
    const int endM = int(110 * scale), footM = int(55 * scale);
    e.line(x1, top, x1, top - endM);
    e.line(x2, top, x2, top - endM);
    e.line(x1, top, x1 - endM, top);
    e.line(x1 - endM, top, x1 + footM, foot);
    e.line(x1 + footM, foot, x1, foot);
    e.line(x2, top, x2 + endM, top);
    e.line(x2 + endM, top, x2 - footM, foot);
    e.line(x2 - footM, foot, x2, foot);
    e.font(3, 3.5, Gothic, U_SHIFTJIS_CHARSET);
    e.textW(40, 100, QString::fromUtf8("長期荷重時  曲げモーメント図 (kN·m)"));
    e.textW(x1 - 190, top - 40, QString::fromUtf8("-110"));
    e.textW((x1 + x2) / 2 - 30, top + 140, QString::fromUtf8("+80"));
    e.textW(x1 + 30, foot - 20, QString::fromUtf8("C1"));
    e.textW(x2 - 110, foot - 20, QString::fromUtf8("C2"));
    e.textW((x1 + x2) / 2 - 40, top - 30, QString::fromUtf8("G1"));
    return e.save(path);
}

// Floor plan of the ground floor as a 96-dpi bitmap, 600 x 300 pixels (about 159 x 79 mm).
bool writePlan(const QString& path) {
    QImage image(600, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(20, 20, 560, 260), QColor(250, 246, 232));
    p.fillRect(QRect(20, 20, 220, 260), QColor(214, 232, 250));  // shop
    p.fillRect(QRect(440, 20, 140, 120), QColor(226, 244, 214)); // bicycles
    p.setPen(QPen(Qt::black, 3));
    p.drawRect(QRect(20, 20, 560, 260));
    p.setPen(QPen(QColor(120, 120, 120), 1, Qt::DashLine));
    for (int x = 20; x <= 580; x += 140)
        p.drawLine(x, 8, x, 292);
    for (int y = 20; y <= 280; y += 130)
        p.drawLine(8, y, 592, y);
    p.setPen(Qt::black);
    p.setBrush(Qt::black);
    for (int x = 20; x <= 580; x += 140)
        for (int y = 20; y <= 280; y += 130)
            p.drawRect(QRect(x - 8, y - 8, 16, 16)); // columns
    QFont font(Gothic);
    font.setPixelSize(16);
    p.setFont(font);
    p.drawText(QRect(20, 120, 220, 40), Qt::AlignCenter, QString::fromUtf8("店舗"));
    p.drawText(QRect(440, 60, 140, 40), Qt::AlignCenter, QString::fromUtf8("駐輪場"));
    p.drawText(QRect(240, 180, 200, 40), Qt::AlignCenter, QString::fromUtf8("エントランス"));
    p.end();
    // Eight bits a pixel: a handful of flat colours, a third of the file.
    return image.convertToFormat(QImage::Format_Indexed8, Qt::AvoidDither).save(path, "BMP");
}

// A site photograph stand-in: sky, a building under construction and ground, 1200 x 600
// pixels, drawn at one pixel per printer dot (about 51 x 25 mm at 600 dpi).
bool writeSite(const QString& path) {
    QImage image(1200, 600, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 420);
    sky.setColorAt(0, QColor(90, 150, 215));
    sky.setColorAt(1, QColor(205, 225, 240));
    p.fillRect(QRect(0, 0, 1200, 420), sky);
    QLinearGradient ground(0, 420, 0, 600);
    ground.setColorAt(0, QColor(150, 130, 100));
    ground.setColorAt(1, QColor(95, 80, 60));
    p.fillRect(QRect(0, 420, 1200, 180), ground);
    p.fillRect(QRect(380, 110, 440, 310), QColor(175, 175, 170)); // frame of the building
    p.setPen(QPen(QColor(90, 90, 90), 6));
    for (int x = 380; x <= 820; x += 110)
        p.drawLine(x, 110, x, 420);
    for (int y = 110; y <= 420; y += 52)
        p.drawLine(380, y, 820, y);
    p.setPen(QPen(QColor(220, 160, 20), 10)); // crane
    p.drawLine(900, 420, 900, 40);
    p.drawLine(640, 60, 1120, 60);
    p.end();
    return image.save(path, "JPEG", 88);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    font_substitution::install();
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                    : QStringLiteral(FOLIOSCOPE_SOURCE_DIR "/examples/figures");
    QDir().mkpath(folder);
    const QDir dir(folder);
    const bool ok = writeBeam(dir.filePath("beam.emf")) && writeFrame(dir.filePath("frame.emf")) &&
                    writePlan(dir.filePath("plan.bmp")) && writeSite(dir.filePath("site.jpg"));
    if (!ok) {
        std::fprintf(stderr, "make_figures: cannot write into %s\n", qPrintable(folder));
        return 1;
    }
    return 0;
}
