#include "app/Application.h"
#include "app/CommandLine.h"
#include "platform/FontSubstitution.h"

int main(int argc, char** argv) {
    Application app(argc, argv);
    font_substitution::install();
    return CommandLine(QApplication::arguments()).run();
}
