#pragma once
// The folder of the help file, with a trailing separator. Set once at start-up; every help
// call hands it to the help viewer.

#include <QString>

extern QString HelpFolder;

// The name of the help file in that folder.
inline constexpr char HelpFileName[] = "Folioscope2.chm";

// The folder of the running program file, with a trailing separator.
QString ProgramFolder();

// Where the help file is looked for, given the program's folder (with a trailing separator):
// that folder itself when the help file is there (a build tree, or a copy kept beside the
// program), else ../share/folioscope/ beside it when the file is there (an installed program:
// /usr/bin and /usr/share/folioscope), else the program's folder.
QString HelpFolderFor(const QString& programFolder);
