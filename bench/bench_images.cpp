// Figure image timings: SmoothResample of a 2000 × 1500 bitmap to 4000 × 3000 (and to an
// uneven size), and decoding a 4000 × 3000 JPEG with jpeg_reader against libjpeg-turbo's own
// djpeg on the same file. Prints wall and processor times of several runs in milliseconds.

#include "platform/JpegReader.h"
#include "platform/SmoothResample.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <sys/resource.h>

namespace {

struct Timing {
    double best;   // wall clock, fastest run
    double median; // wall clock
    double cpu;    // processor time (this process and its children), fastest run
};

double cpuMilliseconds() {
    rusage self{}, children{};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    auto ms = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    return ms(self.ru_utime) + ms(self.ru_stime) + ms(children.ru_utime) + ms(children.ru_stime);
}

// The machine is shared: wall time depends on the others' load, processor time much less.
Timing measure(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    double cpu = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        const double cpuStart = cpuMilliseconds();
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        cpu = std::min(cpu, cpuMilliseconds() - cpuStart);
    }
    std::sort(times.begin(), times.end());
    return {times.front(), times[times.size() / 2], cpu};
}

// Smooth gradients with noise, so that both the resampler and the JPEG coder see
// photograph-like data rather than flat areas.
QImage photoLike(int width, int height) {
    QImage image(width, height, QImage::Format_RGB888);
    QRandomGenerator random(1);
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const int noise = int(random.bounded(24));
            row[3 * x] = uchar((x * 255 / width + noise) & 0xFF);
            row[3 * x + 1] = uchar((y * 255 / height + noise) & 0xFF);
            row[3 * x + 2] = uchar(((x + y) * 127 / (width + height) + 2 * noise) & 0xFF);
        }
    }
    return image;
}

void report(const char* what, const Timing& t) {
    std::printf("%-40s wall best %7.1f ms, median %7.1f ms; cpu best %7.1f ms\n", what, t.best,
                t.median, t.cpu);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = 7;

    const QImage bitmap = photoLike(2000, 1500);
    QImage resampled;
    const Timing resample = measure(runs, [&] { resampled = SmoothResample(bitmap, 4000, 3000); });
    report("SmoothResample 2000x1500 -> 4000x3000", resample);
    // A factor that is not a power of two (96 to 150 dpi): fractions are not exact in
    // binary, so halves are settled in extended precision more often.
    const Timing uneven = measure(runs, [&] { SmoothResample(bitmap, 3125, 2344); });
    report("SmoothResample 2000x1500 -> 3125x2344", uneven);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("photo.jpg"));
    if (!photoLike(4000, 3000).save(path, "JPEG", 90)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    QImage decoded;
    const Timing ours = measure(runs, [&] { decoded = jpeg_reader::readFile(path); });
    report("jpeg_reader::readFile 4000x3000", ours);

    const QString djpeg = QStandardPaths::findExecutable(QStringLiteral("djpeg"));
    if (djpeg.isEmpty()) {
        std::printf("djpeg not found: no comparison\n");
        return 0;
    }
    const Timing reference = measure(runs, [&] {
        QProcess::execute(djpeg, {QStringLiteral("-outfile"), QStringLiteral("/dev/null"), path});
    });
    report("djpeg -outfile /dev/null, same file", reference);
    std::printf("ratio jpeg_reader / djpeg: wall %.2f, cpu %.2f\n", ours.best / reference.best,
                ours.cpu / reference.cpu);
    return decoded.size() == QSize(4000, 3000) && resampled.size() == QSize(4000, 3000) ? 0 : 1;
}
