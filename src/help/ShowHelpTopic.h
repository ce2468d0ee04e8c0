#pragma once
// The one way every window opens help: its help number, HelpFolder and help file kind 2.

#include <QString>

// Shows the topic of helpNumber in the help file of kind inside folder, or the file's table of
// contents for a number without a topic. Shows the busy cursor and makes folder the working
// directory while it runs; both are restored before it returns. A help file that is missing or
// cannot be read shows nothing.
void ShowHelpTopic(int helpNumber, const QString& folder, int helpFileKind);
