#pragma once
// What every harness needs once per process: a headless GUI application (fonts, painters)
// and the font substitutions the program installs at start-up.

#include "platform/FontSubstitution.h"

#include <QGuiApplication>
#include <QImage>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

inline void fuzzInitialiseOnce() {
    static QCoreApplication* app = []() -> QCoreApplication* {
        // The regression test runs the harnesses inside its own application.
        if (QCoreApplication::instance())
            return QCoreApplication::instance();
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz";
        static char* argv[] = {name, nullptr};
        auto* a = new QGuiApplication(argc, argv);
        font_substitution::install();
        return a;
    }();
    (void)app;
}

// The scale at which an input's pages or figures are replayed, from 0.01 to 4 (the preview's
// thumbnails, fit and zoom ask for all of them), chosen by the input's last byte on a
// logarithmic scale. The byte stays part of the input: seed files keep their whole records,
// and their usual last bytes (0, a line end) give scales near 0.2.
inline double fuzzReplayScale(const uint8_t* data, size_t size) {
    const int choice = size > 0 ? (data[size - 1] + 128) % 256 : 128;
    return 0.01 * std::pow(400.0, choice / 255.0);
}

// An image for a replay of width x height units at scale, at most maxWidth x maxHeight
// pixels (the part beyond is clipped, as the preview paints only what is on screen).
inline QImage fuzzReplayImage(double width, double height, double scale, int maxWidth,
                              int maxHeight) {
    const int w = qBound(1, int(std::ceil(width * scale)), maxWidth);
    const int h = qBound(1, int(std::ceil(height * scale)), maxHeight);
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}
