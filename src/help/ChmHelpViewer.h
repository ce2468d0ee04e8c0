#pragma once
// The help viewer of the tool: reads the .chm (ChmLoader) and shows it in the one help window
// of the process, which is raised and turned to the topic on the next request and closed when
// the tool ends. A missing or unreadable file shows nothing.

#include <QDateTime>
#include <QPointer>
#include <memory>

#include "help/HelpViewer.h"

class HelpContents;
class HelpWindow;

class ChmHelpViewer : public HelpViewer {
public:
    ChmHelpViewer();
    ~ChmHelpViewer() override;

    void DisplayTopic(const QString& helpFile, const QString& page) override;
    void ShowTableOfContents(const QString& helpFile) override;
    void ShutDown() override;

    // The help window, while one is open.
    HelpWindow* window() const { return window_; }

private:
    void show(const QString& helpFile, const QString& page);
    std::shared_ptr<const HelpContents> load(const QString& helpFile);

    QPointer<HelpWindow> window_;
    // The last file read, kept while it is unchanged on disk.
    QString loadedFile_;
    qint64 loadedSize_ = -1;
    QDateTime loadedTime_;
    std::shared_ptr<const HelpContents> loaded_;
};
