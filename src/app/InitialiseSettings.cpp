#include "app/InitialiseSettings.h"

#include "document/OutputSettings.h"
#include "help/HelpFolder.h"

void InitialiseSettings() {
    HelpFolder = HelpFolderFor(ProgramFolder());
    resetOutputSettings();
}
