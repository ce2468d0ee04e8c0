#include "help/HelpFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString HelpFolder;

namespace {

bool holdsHelpFile(const QString& folder) {
    return QFileInfo(folder + QLatin1String(HelpFileName)).isFile();
}

} // namespace

QString ProgramFolder() {
    QString folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

QString HelpFolderFor(const QString& programFolder) {
    if (holdsHelpFile(programFolder))
        return programFolder;
    // Relative to the program, so that a package installed under another prefix still works.
    const QString shared =
        QDir::cleanPath(programFolder + QStringLiteral("../share/folioscope")) + QLatin1Char('/');
    if (holdsHelpFile(shared))
        return shared;
    return programFolder;
}
