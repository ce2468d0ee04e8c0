#pragma once
// Help numbers, help files and topic pages: the fixed tables and rules that turn a window's
// help request into a page inside a help file. No widgets here.

#include <QString>

// Help numbers that the tool's windows ask for.
namespace help_numbers {
constexpr int PreviewWindow = 6531;  // preview window: help button and F1
constexpr int OutputSettings = 6532; // output settings dialog
constexpr int MainWindow = 6533;     // main window
} // namespace help_numbers

// The help file kind every window passes.
constexpr int ToolHelpFileKind = 2;

// The topic of a help number; empty for a number without a topic.
QString HelpTopicName(int helpNumber);

// The file name of a help file kind ("Folioscope2.chm" for 2 and 3); empty for other kinds.
QString HelpFileNameOfKind(int kind);

// The page of a topic inside the help file: ".htm" is appended unless the topic already ends
// in ".htm" or ".html" (any letter case).
QString TopicPageName(const QString& topic);

// A help file name without a folder part gets the program's folder in front of it.
QString ResolveHelpFile(const QString& fileName, const QString& programFolder);

// True when the text from the last "." to the end is ".chm" in any letter case.
bool IsChmFileName(const QString& fileName);
