#include <QApplication>

#include "platform/FontSubstitution.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    font_substitution::install();
    return 0;
}
