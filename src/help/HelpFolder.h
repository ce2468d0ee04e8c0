#pragma once
// The folder of the program file, with a trailing separator: where the help file lives.
// Set once at start-up; every help call hands it to the help viewer.

#include <QString>

extern QString HelpFolder;

// The folder of the running program file, with a trailing separator.
QString ProgramFolder();
