#pragma once
// The two standard message boxes of the tool.

#include <QString>

class QWidget;

// A user error: warning box with caption "警告" and a single OK button.
void ShowWarning(QWidget* parent, const QString& text);

// A failure that ended an operation: error box captioned with the program's name.
void ShowErrorBox(QWidget* parent, const QString& text);
