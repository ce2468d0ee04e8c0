#pragma once
// What shows help pages. The tool's help requests go through ShowHelpTopic to the one viewer of
// the process; tests install a viewer of their own.

#include <QString>
#include <memory>

class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    // Shows page (a path inside the help file, e.g. "Zeph機能特徴.htm") of helpFile.
    virtual void DisplayTopic(const QString& helpFile, const QString& page) = 0;
    // Shows the table of contents of helpFile.
    virtual void ShowTableOfContents(const QString& helpFile) = 0;
    // Closes every help window of the process.
    virtual void ShutDown() = 0;
};

// The viewer of the process; made on first use (the chmlib help window) unless one was installed.
HelpViewer& CurrentHelpViewer();
// Replaces the viewer of the process (the old one is shut down); returns the old one.
std::unique_ptr<HelpViewer> InstallHelpViewer(std::unique_ptr<HelpViewer> viewer);

// The application's current help file: set by every help request, kept afterwards.
QString ApplicationHelpFile();
