#include "document/OutputSettings.h"

TOutputSettings OutputSettings;

void ResetOutputSettings() {
    OutputSettings = TOutputSettings{};
}
