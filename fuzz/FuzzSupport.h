#pragma once
// What every harness needs once per process: a headless GUI application (fonts, painters)
// and the font substitutions the program installs at start-up.

#include "platform/FontSubstitution.h"

#include <QGuiApplication>

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
