#include "help/HelpFolder.h"

#include <QCoreApplication>

QString HelpFolder;

QString ProgramFolder() {
    QString folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}
