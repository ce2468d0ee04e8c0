#include "document/OutputSettings.h"

TOutputSettings OutputSettings;

void resetOutputSettings() {
    OutputSettings = TOutputSettings{};
}
