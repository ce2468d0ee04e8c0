#include "help/HelpTopics.h"

#include <QFileInfo>

QString HelpTopicName(int helpNumber) {
    switch (helpNumber) {
    case help_numbers::PreviewWindow:
        return QStringLiteral("Zeph印刷プレビュー");
    case help_numbers::OutputSettings:
        return QStringLiteral("Zeph印字出力設定");
    case help_numbers::MainWindow:
        return QStringLiteral("Zeph機能特徴");
    default:
        return {};
    }
}

QString HelpFileNameOfKind(int kind) {
    return kind == 2 || kind == 3 ? QStringLiteral("Folioscope2.chm") : QString();
}

QString TopicPageName(const QString& topic) {
    const qsizetype dot = topic.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? QString() : topic.mid(dot).toLower();
    if (extension == QLatin1String(".htm") || extension == QLatin1String(".html"))
        return topic;
    return topic + QStringLiteral(".htm");
}

QString ResolveHelpFile(const QString& fileName, const QString& programFolder) {
    if (fileName.isEmpty() || fileName.contains(QLatin1Char('/')))
        return fileName;
    QString folder = programFolder;
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + fileName;
}

bool IsChmFileName(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 && fileName.mid(dot).compare(QLatin1String(".chm"), Qt::CaseInsensitive) == 0;
}
