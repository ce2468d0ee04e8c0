#include "help/ShowHelpTopic.h"

#include <QCursor>
#include <QDir>
#include <QGuiApplication>
#include <QScopeGuard>

#include "help/HelpFolder.h"
#include "help/HelpTopics.h"
#include "help/HelpViewer.h"

namespace {
QString applicationHelpFile;
}

QString ApplicationHelpFile() {
    return applicationHelpFile;
}

void ShowHelpTopic(int helpNumber, const QString& folder, int helpFileKind) {
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    const QString previousDirectory = QDir::currentPath();
    const auto restore = qScopeGuard([&] {
        QDir::setCurrent(previousDirectory);
        QGuiApplication::restoreOverrideCursor();
    });
    QDir::setCurrent(folder);

    applicationHelpFile = folder + HelpFileNameOfKind(helpFileKind);
    // Names without a folder part are taken from the program's folder.
    const QString helpFile = ResolveHelpFile(applicationHelpFile, ProgramFolder());
    if (!IsChmFileName(helpFile))
        return;

    const QString topic = HelpTopicName(helpNumber);
    HelpViewer& viewer = CurrentHelpViewer();
    if (topic.isEmpty())
        viewer.ShowTableOfContents(helpFile);
    else
        viewer.DisplayTopic(helpFile, TopicPageName(topic));
}
