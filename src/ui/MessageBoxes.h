#pragma once
// The two standard message boxes of the tool.

#include <QString>
#include <memory>

class QFontMetrics;
class QMessageBox;
class QWidget;

// A user error: warning box with caption "警告" and a single OK button.
void ShowWarning(QWidget* parent, const QString& text);

// A failure that ended an operation: error box captioned with the program's name.
void ShowErrorBox(QWidget* parent, const QString& text);

// The error box that ShowErrorBox runs, wide enough for its caption in the title bar and for
// each line of its text (file paths do not wrap), up to maxWidth pixels.
std::unique_ptr<QMessageBox> MakeErrorBox(QWidget* parent, const QString& text);

// The least width of a message box (pixels) that shows caption and every line of text whole,
// but no more than maxWidth.
int MessageBoxMinimumWidth(const QFontMetrics& metrics, const QString& caption, const QString& text,
                           int maxWidth);
